#include "engine/caption_regex.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/caption_match.h"
#include "engine/character_types.h"
#include "platform/utf8.h"

// A matcher of our own: the pattern is compiled to a program of simple instructions and run
// as a set of threads that all step over the caption together, one unit at a time (a Thompson
// NFA simulation). Nothing ever backtracks, so a search costs at most the caption's length
// times the program's size, and every step is counted: a search past the budget stops. Each
// step does a bounded amount of work (a class counts its items), so the budget is a bound on
// time, whatever the pattern's shape. A lookaround is worked out for every position of the
// caption in one pass of its own before the search, so it too costs its share and no more.

namespace kvl {

namespace {

constexpr std::size_t kPatternTextUnits = 256;
// The largest program a pattern may compile to: counted repetitions are written out, so
// "(a{1000}){1000}" would take a million instructions, and memory with them.
constexpr std::size_t kLargestProgram = 20'000;
constexpr char32_t kReplacement = 0xFFFD;

std::ptrdiff_t searchBudget = kPatternSearchBudget;

const std::string kBadEscape = "a backslash in it escapes nothing";
const std::string kTooLarge =
    "it is too large once its counted repetitions (like {100}) are written out";

void AppendUtf16(std::wstring& out, char32_t c) {
    utf8::ForEachUtf16Unit(c, [&out](char16_t unit) { out.push_back(static_cast<wchar_t>(unit)); });
}

// Letters beyond ASCII are folded as captions are; ASCII stays as written, where "\D" means
// something else than "\d", and the matcher lets ASCII case go itself.
std::wstring PatternSource(std::string_view utf8) {
    std::wstring out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t c = 0;
        if (!utf8::Next(utf8, pos, c)) c = kReplacement;
        AppendUtf16(out, c < 0x80 ? c : FoldCase(c));
    }
    return out;
}

constexpr char32_t Lower(char32_t c) {
    return c >= U'A' && c <= U'Z' ? c + 32 : c;
}
constexpr char32_t Upper(char32_t c) {
    return c >= U'a' && c <= U'z' ? c - 32 : c;
}

bool IsWord(char32_t unit) {
    return unit == U'_' || HasCharacterType(unit, kAlpha | kDigit);
}

// --- The pattern as a tree --------------------------------------------------------------------

struct CharClass {
    bool negated = false;
    std::vector<std::pair<char32_t, char32_t>> ranges;  // single characters too, as [c, c]
    CharacterTypes types = 0;                           // [:alpha:], \d, \w ...
    bool word = false;                                  // \w
    CharacterTypes notTypes = 0;                        // \D, \S
    bool notWord = false;                               // \W

    bool InRanges(char32_t c) const {
        for (const auto& [low, high] : ranges)
            if (c >= low && c <= high) return true;
        return false;
    }
    // `c` is a folded caption unit; a capital in a range still finds its small letter, as
    // ASCII case is let go.
    bool Matches(char32_t c) const {
        bool found = InRanges(c) || (c != Upper(c) && InRanges(Upper(c))) ||
                     (types != 0 && HasCharacterType(c, types)) || (word && IsWord(c)) ||
                     (notTypes != 0 && !HasCharacterType(c, notTypes)) || (notWord && !IsWord(c));
        return found != negated;
    }
    std::size_t Cost() const { return 1 + ranges.size() / 8; }
};

enum class Assertion : std::uint8_t { Start, End, WordBoundary, NotWordBoundary };

struct Node {
    enum class Kind : std::uint8_t { Empty, Unit, Any, Class, Concat, Alt, Repeat, Assert, Look };
    Kind kind = Kind::Empty;
    char32_t unit = 0;                         // Unit
    std::size_t index = 0;                     // Class, Look
    Assertion assertion{};                     // Assert
    std::size_t least = 0;                     // Repeat
    std::size_t most = 0;                      // Repeat; kUnbounded for none
    std::vector<std::unique_ptr<Node>> parts;  // Concat, Alt, Repeat (one)
};
constexpr std::size_t kUnbounded = static_cast<std::size_t>(-1);

struct Lookaround {
    std::unique_ptr<Node> body;
    bool behind = false;
    bool negative = false;
};

struct Tree {
    std::unique_ptr<Node> root;
    std::vector<CharClass> classes;
    std::vector<Lookaround> looks;  // inner ones before the lookaround that holds them
};

std::unique_ptr<Node> MakeNode(Node::Kind kind) {
    auto node = std::make_unique<Node>();
    node->kind = kind;
    return node;
}

// ECMAScript as earlier releases read it (the C++ library's reading of it), group kinds
// (?<= and (?<! added: a pattern they took means what it meant.
class Parser {
public:
    explicit Parser(std::wstring_view p) : p_(p) {}

    std::optional<std::string> Parse(Tree& tree) {
        tree_ = &tree;
        auto root = Disjunction();
        if (problem_) return problem_;
        if (at_ < p_.size()) return "its parentheses do not pair up";  // a ")" too many
        tree.root = std::move(root);
        return std::nullopt;
    }

private:
    bool More() const { return at_ < p_.size() && !problem_; }
    wchar_t Peek(std::size_t ahead = 0) const {
        return at_ + ahead < p_.size() ? p_[at_ + ahead] : L'\0';
    }
    std::unique_ptr<Node> Fail(std::string why) {
        if (!problem_) problem_ = std::move(why);
        return MakeNode(Node::Kind::Empty);
    }

    std::unique_ptr<Node> Disjunction() {
        auto alt = MakeNode(Node::Kind::Alt);
        alt->parts.push_back(Alternative());
        while (More() && Peek() == L'|') {
            ++at_;
            alt->parts.push_back(Alternative());
        }
        if (alt->parts.size() == 1) return std::move(alt->parts.front());
        return alt;
    }

    std::unique_ptr<Node> Alternative() {
        auto concat = MakeNode(Node::Kind::Concat);
        while (More() && Peek() != L'|' && Peek() != L')') concat->parts.push_back(Term());
        return concat;
    }

    std::unique_ptr<Node> Term() {
        const wchar_t c = Peek();
        std::unique_ptr<Node> atom;
        bool assertion = false;
        if (c == L'^' || c == L'$') {
            ++at_;
            atom = MakeNode(Node::Kind::Assert);
            atom->assertion = c == L'^' ? Assertion::Start : Assertion::End;
            assertion = true;
        } else if (c == L'\\' && (Peek(1) == L'b' || Peek(1) == L'B')) {
            at_ += 2;
            atom = MakeNode(Node::Kind::Assert);
            atom->assertion =
                p_[at_ - 1] == L'b' ? Assertion::WordBoundary : Assertion::NotWordBoundary;
            assertion = true;
        } else if (c == L'(' && Peek(1) == L'?') {
            const wchar_t kind = Peek(2);
            if (kind == L':') {
                at_ += 3;
                atom = Group();
            } else if (kind == L'=' || kind == L'!' ||
                       (kind == L'<' && (Peek(3) == L'=' || Peek(3) == L'!'))) {
                const bool behind = kind == L'<';
                const bool negative = (behind ? Peek(3) : kind) == L'!';
                at_ += behind ? 4 : 3;
                auto body = Group();
                tree_->looks.push_back({std::move(body), behind, negative});
                atom = MakeNode(Node::Kind::Look);
                atom->index = tree_->looks.size() - 1;
                assertion = true;
            } else {
                return Fail(
                    "a group in it starts with (? but not with (?:, (?=, (?!, (?<= or (?<!, the "
                    "only such groups I know");
            }
        } else if (c == L'(') {
            ++at_;
            atom = Group();
        } else if (c == L'*' || c == L'+' || c == L'?' || c == L'{') {
            return Fail("a *, + or ? in it has nothing before it to repeat");
        } else {
            atom = Atom();
        }
        if (problem_) return atom;
        const wchar_t q = Peek();
        if (q != L'*' && q != L'+' && q != L'?' && q != L'{') return atom;
        if (assertion) return Fail("a *, + or ? in it has nothing before it to repeat");
        std::size_t least = 0, most = kUnbounded;
        if (q == L'{') {
            if (!Count(least, most)) return Fail("a count in braces in it is not one I understand");
        } else {
            ++at_;
            least = q == L'+' ? 1 : 0;
            most = q == L'?' ? 1 : kUnbounded;
        }
        if (Peek() == L'?') ++at_;  // lazy or greedy, a caption matches or it does not
        if (Peek() == L'*' || Peek() == L'+' || Peek() == L'?' || Peek() == L'{')
            return Fail("a *, + or ? in it has nothing before it to repeat");
        auto repeat = MakeNode(Node::Kind::Repeat);
        repeat->least = least;
        repeat->most = most;
        repeat->parts.push_back(std::move(atom));
        return repeat;
    }

    std::unique_ptr<Node> Group() {
        auto inner = Disjunction();
        if (problem_) return inner;
        if (Peek() != L')') return Fail("its parentheses do not pair up");
        ++at_;
        return inner;
    }

    // "{3}", "{2,}", "{2,5}" at at_.
    bool Count(std::size_t& least, std::size_t& most) {
        std::size_t k = at_ + 1;
        auto number = [&](std::size_t& n) {
            const std::size_t from = k;
            n = 0;
            while (k < p_.size() && p_[k] >= L'0' && p_[k] <= L'9') {
                n = std::min<std::size_t>(n * 10 + static_cast<std::size_t>(p_[k] - L'0'),
                                          1'000'000);
                ++k;
            }
            return k > from;
        };
        if (!number(least)) return false;
        most = least;
        if (k < p_.size() && p_[k] == L',') {
            ++k;
            if (!number(most)) most = kUnbounded;
        }
        if (k >= p_.size() || p_[k] != L'}' || most < least) return false;
        at_ = k + 1;
        return true;
    }

    std::unique_ptr<Node> Unit(char32_t c) {
        auto node = MakeNode(Node::Kind::Unit);
        node->unit = Lower(c);
        return node;
    }

    std::unique_ptr<Node> ClassNode(CharClass cls) {
        tree_->classes.push_back(std::move(cls));
        auto node = MakeNode(Node::Kind::Class);
        node->index = tree_->classes.size() - 1;
        return node;
    }

    std::unique_ptr<Node> Atom() {
        const wchar_t c = p_[at_++];
        if (c == L'.') return MakeNode(Node::Kind::Any);
        if (c == L'[') return Bracket();
        if (c != L'\\') return Unit(c);
        CharClass cls;
        const auto escape = Escape(false, cls);
        if (!escape) return Fail(problem_.value_or(kBadEscape));
        if (*escape == kClassEscape) return ClassNode(std::move(cls));
        return Unit(*escape);
    }

    static constexpr char32_t kClassEscape = 0xFFFFFFFF;

    // The escape after a backslash (at_ is past it): the character it stands for, or
    // kClassEscape with `cls` given its class (\d, \w, \s and their opposites).
    std::optional<char32_t> Escape(bool inBracket, CharClass& cls) {
        if (at_ >= p_.size()) return std::nullopt;
        const wchar_t e = p_[at_++];
        switch (e) {
            case L'0':
                return U'\0';
            case L'b':
                return U'\b';  // in brackets; outside it is an assertion
            case L'f':
                return U'\f';
            case L'n':
                return U'\n';
            case L'r':
                return U'\r';
            case L't':
                return U'\t';
            case L'v':
                return U'\v';
            case L'd':
                cls.types |= kDigit;
                return kClassEscape;
            case L's':
                cls.types |= kSpace;
                return kClassEscape;
            case L'w':
                cls.word = true;
                return kClassEscape;
            case L'D':
                cls.notTypes |= kDigit;
                return kClassEscape;
            case L'S':
                cls.notTypes |= kSpace;
                return kClassEscape;
            case L'W':
                cls.notWord = true;
                return kClassEscape;
            case L'B':
                if (inBracket) return std::nullopt;
                return U'B';
            case L'c':
                // Earlier releases took "\cJ" for the letter J itself, not for a control
                // character: it reads as before.
                if (at_ >= p_.size()) return std::nullopt;
                return static_cast<char32_t>(p_[at_++]);
            case L'x':
            case L'u': {
                const std::size_t digits = e == L'x' ? 2 : 4;
                if (at_ + digits > p_.size()) return std::nullopt;
                char32_t value = 0;
                for (std::size_t k = 0; k < digits; ++k) {
                    const wchar_t d = p_[at_ + k];
                    int v;
                    if (d >= L'0' && d <= L'9')
                        v = d - L'0';
                    else if (d >= L'a' && d <= L'f')
                        v = d - L'a' + 10;
                    else if (d >= L'A' && d <= L'F')
                        v = d - L'A' + 10;
                    else
                        return std::nullopt;
                    value = value * 16 + static_cast<char32_t>(v);
                }
                at_ += digits;
                // A capital written as an escape finds its small letter, as a typed one does.
                return value < 0x80 ? value : FoldCase(value);
            }
            default:
                if (e >= L'1' && e <= L'9') {
                    problem_ = "it refers back to a group (like \\1), which I cannot match quickly";
                    return std::nullopt;
                }
                return static_cast<char32_t>(e);  // any other escaped character is itself
        }
    }

    // After "[": items up to the closing "]". "[]" matches nothing and "[^]" anything.
    std::unique_ptr<Node> Bracket() {
        CharClass cls;
        if (Peek() == L'^') {
            cls.negated = true;
            ++at_;
        }
        // One item: a character, or kClassEscape for a class (which cannot end a range).
        auto item = [&]() -> std::optional<char32_t> {
            const wchar_t c = p_[at_++];
            if (c == L'\\') {
                const auto escape = Escape(true, cls);
                if (!escape && !problem_) problem_ = kBadEscape;
                return escape;
            }
            if (c == L'[' && (Peek() == L':' || Peek() == L'.' || Peek() == L'=')) {
                const wchar_t kind = p_[at_];
                const std::size_t end = p_.find(std::wstring{kind, L']'}, at_ + 1);
                if (end == std::wstring_view::npos) {
                    problem_ = "a [ in it is never closed";
                    return std::nullopt;
                }
                const std::wstring_view name = p_.substr(at_ + 1, end - at_ - 1);
                at_ = end + 2;
                if (kind != L':') {
                    // A collating element or an equivalence class: one character here.
                    if (name.size() != 1) {
                        problem_ = "it names a collating element I do not know";
                        return std::nullopt;
                    }
                    return static_cast<char32_t>(name[0]);
                }
                const auto types = NamedClass(name);
                if (!types) {
                    problem_ = "it names a character class I do not know";
                    return std::nullopt;
                }
                if (*types == kWordClass)
                    cls.word = true;
                else
                    cls.types |= *types;
                return kClassEscape;
            }
            return static_cast<char32_t>(c);
        };
        while (true) {
            if (at_ >= p_.size()) return Fail("a [ in it is never closed");
            if (p_[at_] == L']') {
                ++at_;
                break;
            }
            const auto low = item();
            if (!low) return Fail(problem_.value_or(kBadEscape));
            if (Peek() == L'-' && Peek(1) != L']' && at_ + 1 < p_.size()) {
                ++at_;
                const auto high = item();
                if (!high) return Fail(problem_.value_or(kBadEscape));
                if (*low == kClassEscape || *high == kClassEscape)
                    return Fail("a range in brackets in it runs backwards");
                const char32_t from = *low < 0x80 ? *low : FoldCase(*low);
                const char32_t to = *high < 0x80 ? *high : FoldCase(*high);
                if (to < from) return Fail("a range in brackets in it runs backwards");
                cls.ranges.emplace_back(from, to);
            } else if (*low != kClassEscape) {
                cls.ranges.emplace_back(Lower(*low), Lower(*low));
            }
        }
        return ClassNode(std::move(cls));
    }

    static constexpr CharacterTypes kWordClass = 0x8000;

    static std::optional<CharacterTypes> NamedClass(std::wstring_view name) {
        // Letter case is let go, so [:upper:] and [:lower:] are any letter, as before.
        static const std::pair<std::wstring_view, CharacterTypes> kNames[] = {
            {L"alpha", kAlpha},
            {L"digit", kDigit},
            {L"alnum", kAlpha | kDigit},
            {L"space", kSpace},
            {L"upper", kAlpha},
            {L"lower", kAlpha},
            {L"punct", kPunct},
            {L"cntrl", kControl},
            {L"blank", kBlank},
            {L"xdigit", kHexDigit},
            {L"graph", kAlpha | kDigit | kPunct},
            {L"print", kAlpha | kDigit | kPunct | kBlank},
            {L"w", kWordClass},
            {L"d", kDigit},
            {L"s", kSpace}};
        for (const auto& [n, t] : kNames)
            if (n == name) return t;
        return std::nullopt;
    }

    std::wstring_view p_;
    std::size_t at_ = 0;
    Tree* tree_ = nullptr;
    std::optional<std::string> problem_;
};

// --- The program --------------------------------------------------------------------------------

struct Instruction {
    enum class Op : std::uint8_t { Unit, Any, Class, Split, Jump, Assert, Look, Match };
    Op op;
    Assertion assertion{};
    char32_t unit = 0;
    std::uint32_t x = 0, y = 0;  // Split: both ways; Jump: x; Class and Look: x is the index
};

using Program = std::vector<Instruction>;

// Compiles a tree forwards, or backwards for the passes that run from the caption's end.
class Compiler {
public:
    Compiler(Program& program, bool backwards) : program_(program), backwards_(backwards) {}

    bool Compile(const Node& node) {
        Emit(node);
        if (tooLarge_) return false;
        program_.push_back({Instruction::Op::Match});
        return true;
    }

private:
    std::uint32_t Here() const { return static_cast<std::uint32_t>(program_.size()); }
    std::uint32_t Add(Instruction i) {
        if (program_.size() >= kLargestProgram) {
            tooLarge_ = true;
            return 0;
        }
        program_.push_back(i);
        return Here() - 1;
    }

    void Emit(const Node& node) {
        if (tooLarge_) return;
        using Op = Instruction::Op;
        switch (node.kind) {
            case Node::Kind::Empty:
                break;
            case Node::Kind::Unit:
                Add({Op::Unit, {}, node.unit});
                break;
            case Node::Kind::Any:
                Add({Op::Any});
                break;
            case Node::Kind::Class:
                Add({Op::Class, {}, 0, static_cast<std::uint32_t>(node.index)});
                break;
            case Node::Kind::Assert:
                Add({Op::Assert, node.assertion});
                break;
            case Node::Kind::Look:
                Add({Op::Look, {}, 0, static_cast<std::uint32_t>(node.index)});
                break;
            case Node::Kind::Concat:
                if (backwards_) {
                    for (auto it = node.parts.rbegin(); it != node.parts.rend(); ++it) Emit(**it);
                } else {
                    for (const auto& part : node.parts) Emit(*part);
                }
                break;
            case Node::Kind::Alt: {
                std::vector<std::uint32_t> jumps;
                for (std::size_t k = 0; k < node.parts.size(); ++k) {
                    if (k + 1 < node.parts.size()) {
                        const std::uint32_t split = Add({Op::Split});
                        Emit(*node.parts[k]);
                        jumps.push_back(Add({Op::Jump}));
                        if (tooLarge_) return;
                        program_[split].x = split + 1;
                        program_[split].y = Here();
                    } else {
                        Emit(*node.parts[k]);
                    }
                }
                for (std::uint32_t j : jumps)
                    if (!tooLarge_) program_[j].x = Here();
                break;
            }
            case Node::Kind::Repeat: {
                const Node& inner = *node.parts.front();
                for (std::size_t k = 0; k < node.least && !tooLarge_; ++k) Emit(inner);
                if (node.most == kUnbounded) {
                    // L: split body, out; body; jump L
                    const std::uint32_t split = Add({Op::Split});
                    Emit(inner);
                    const std::uint32_t back = Add({Op::Jump});
                    if (tooLarge_) return;
                    program_[back].x = split;
                    program_[split].x = split + 1;
                    program_[split].y = Here();
                } else {
                    // Each optional copy may be left out, and then so are the rest.
                    std::vector<std::uint32_t> splits;
                    for (std::size_t k = node.least; k < node.most && !tooLarge_; ++k) {
                        splits.push_back(Add({Op::Split}));
                        Emit(inner);
                    }
                    if (tooLarge_) return;
                    for (std::uint32_t s : splits) {
                        program_[s].x = s + 1;
                        program_[s].y = Here();
                    }
                }
                break;
            }
        }
    }

    Program& program_;
    bool backwards_;
    bool tooLarge_ = false;
};

}  // namespace

// --- Compiled patterns --------------------------------------------------------------------------

struct CaptionRegex::Compiled {
    std::optional<std::string> problem;
    Program program;
    std::vector<CharClass> classes;
    struct Look {
        Program program;  // run over the caption in the direction that finds it at a position
        bool behind;
        bool negative;
    };
    std::vector<Look> looks;
};

namespace {

std::shared_ptr<const CaptionRegex::Compiled> Compile(std::string_view pattern) {
    auto compiled = std::make_shared<CaptionRegex::Compiled>();
    const std::wstring source = PatternSource(pattern);
    if (source.size() > kLongestCaptionPattern) {
        compiled->problem =
            "it is longer than " + std::to_string(kLongestCaptionPattern) + " characters";
        return compiled;
    }
    Tree tree;
    if ((compiled->problem = Parser(source).Parse(tree))) return compiled;
    std::size_t size = 0;
    if (!Compiler(compiled->program, false).Compile(*tree.root)) {
        compiled->problem = kTooLarge;
        return compiled;
    }
    size += compiled->program.size();
    for (Lookaround& look : tree.looks) {
        // A lookahead holds at a position when its body matches from there on: found in one
        // pass from the caption's end with the body compiled backwards. A lookbehind, when it
        // matches up to there: one pass from the start.
        CaptionRegex::Compiled::Look compiledLook{{}, look.behind, look.negative};
        if (!Compiler(compiledLook.program, !look.behind).Compile(*look.body) ||
            (size += compiledLook.program.size()) > kLargestProgram) {
            compiled->problem = kTooLarge;
            return compiled;
        }
        compiled->looks.push_back(std::move(compiledLook));
    }
    compiled->classes = std::move(tree.classes);
    return compiled;
}

// The store, an import, the editor and every watch of the same pattern share one compiled
// form: what one of them accepts, the others run.
std::shared_ptr<const CaptionRegex::Compiled> SharedCompiled(std::string_view pattern) {
    static std::mutex mutex;
    static std::map<std::string, std::weak_ptr<const CaptionRegex::Compiled>, std::less<>> known;
    const std::lock_guard lock(mutex);
    if (auto it = known.find(pattern); it != known.end()) {
        if (auto alive = it->second.lock()) return alive;
    }
    std::erase_if(known, [](const auto& entry) { return entry.second.expired(); });
    auto compiled = Compile(pattern);
    known[std::string(pattern)] = compiled;
    return compiled;
}

// --- Running -----------------------------------------------------------------------------------

struct OutOfSteps {};

class Runner {
public:
    Runner(const CaptionRegex::Compiled& c, std::wstring_view text) : c_(c), text_(text) {}

    PatternSearch Search() {
        try {
            looks_.resize(c_.looks.size());
            for (std::size_t k = 0; k < c_.looks.size(); ++k) {
                const auto& look = c_.looks[k];
                looks_[k] = Pass(look.program, !look.behind, true);
                if (look.negative) looks_[k].flip();
            }
            return Pass(c_.program, false, false).empty() ? PatternSearch::NoMatch
                                                          : PatternSearch::Match;
        } catch (const OutOfSteps&) {
            return PatternSearch::TooLong;
        }
    }

private:
    void Spend(std::size_t steps) {
        steps_ += static_cast<std::ptrdiff_t>(steps);
        if (steps_ > searchBudget) throw OutOfSteps{};
    }

    char32_t At(std::size_t i) const { return static_cast<char32_t>(text_[i]); }

    bool Holds(Assertion a, std::size_t i) const {
        switch (a) {
            case Assertion::Start:
                return i == 0;
            case Assertion::End:
                return i == text_.size();
            case Assertion::WordBoundary:
            case Assertion::NotWordBoundary: {
                const bool before = i > 0 && IsWord(At(i - 1));
                const bool after = i < text_.size() && IsWord(At(i));
                return (before != after) == (a == Assertion::WordBoundary);
            }
        }
        return false;
    }

    // Threads at `list`, each on an instruction that reads a unit, after following every
    // jump, split and assertion from `pc` at position i. Returns whether one reached Match.
    bool Follow(const Program& program, std::uint32_t pc, std::size_t i,
                std::vector<std::uint32_t>& list, std::vector<std::uint32_t>& mark,
                std::uint32_t generation) {
        bool matched = false;
        stack_.clear();
        stack_.push_back(pc);
        while (!stack_.empty()) {
            const std::uint32_t at = stack_.back();
            stack_.pop_back();
            if (mark[at] == generation) continue;
            mark[at] = generation;
            Spend(1);
            const Instruction& in = program[at];
            switch (in.op) {
                case Instruction::Op::Split:
                    stack_.push_back(in.y);
                    stack_.push_back(in.x);
                    break;
                case Instruction::Op::Jump:
                    stack_.push_back(in.x);
                    break;
                case Instruction::Op::Assert:
                    if (Holds(in.assertion, i)) stack_.push_back(at + 1);
                    break;
                case Instruction::Op::Look:
                    if (looks_[in.x][i]) stack_.push_back(at + 1);
                    break;
                case Instruction::Op::Match:
                    matched = true;
                    break;
                default:
                    list.push_back(at);
                    break;
            }
        }
        return matched;
    }

    bool Reads(const Instruction& in, char32_t unit) {
        switch (in.op) {
            case Instruction::Op::Unit:
                return in.unit == unit;
            case Instruction::Op::Any:
                return unit != U'\n' && unit != U'\r' && unit != 0x2028 && unit != 0x2029;
            case Instruction::Op::Class: {
                const CharClass& cls = c_.classes[in.x];
                Spend(cls.Cost());
                return cls.Matches(unit);
            }
            default:
                return false;
        }
    }

    // One pass over the caption with a thread started at every position. Forwards, a position
    // is marked where a thread reaches Match (the body matches up to there); backwards, where
    // a thread started at the caption's end side reaches it (the body matches from there on).
    // Without `everywhere`, it ends at the first match, and an empty result means none.
    std::vector<bool> Pass(const Program& program, bool backwards, bool everywhere) {
        const std::size_t n = text_.size();
        std::vector<bool> found(n + 1);
        std::vector<std::uint32_t> current, next, list, mark(program.size(), 0);
        std::uint32_t generation = 1;
        for (std::size_t step = 0; step <= n; ++step) {
            const std::size_t i = backwards ? n - step : step;
            // Threads carried over from the last unit, then one starting here.
            list.clear();
            bool matched = false;
            for (std::uint32_t pc : current)
                matched = Follow(program, pc, i, list, mark, generation) || matched;
            matched = Follow(program, 0, i, list, mark, generation) || matched;
            ++generation;
            if (matched) {
                if (!everywhere) return {true};
                found[i] = true;
            }
            if (step == n) break;
            const char32_t unit = At(backwards ? i - 1 : i);
            next.clear();
            for (std::uint32_t pc : list)
                if (Reads(program[pc], unit)) next.push_back(pc + 1);
            current.swap(next);
        }
        if (!everywhere) return {};
        return found;
    }

    const CaptionRegex::Compiled& c_;
    std::wstring_view text_;
    std::vector<std::vector<bool>> looks_;
    std::vector<std::uint32_t> stack_;
    std::ptrdiff_t steps_ = 0;
};

}  // namespace

void SetPatternSearchBudget(std::ptrdiff_t steps) {
    searchBudget = steps;
}

std::optional<std::string> CaptionPatternProblem(std::string_view pattern) {
    return SharedCompiled(pattern)->problem;
}

std::wstring PatternText(std::u32string_view folded) {
    std::wstring out;
    out.reserve(std::min(folded.size(), kPatternTextUnits) + 1);
    for (char32_t c : folded) {
        if (out.size() + utf8::Utf16Units(c) > kPatternTextUnits) break;
        AppendUtf16(out, c);
    }
    return out;
}

CaptionRegex::CaptionRegex(std::string_view pattern) {
    auto compiled = SharedCompiled(pattern);
    if (!compiled->problem) compiled_ = std::move(compiled);
}

PatternSearch CaptionRegex::Search(std::wstring_view caption) const {
    if (!compiled_) return PatternSearch::NoMatch;
    try {
        return Runner(*compiled_, caption).Search();
    } catch (const std::bad_alloc&) {
        return PatternSearch::NoMatch;  // the watcher goes on
    }
}

}  // namespace kvl
