#pragma once
// Every control wrapper the forms use, one kind per file.

#include "platform/win32/controls/button.h"
#include "platform/win32/controls/check_box.h"
#include "platform/win32/controls/combo_box.h"
#include "platform/win32/controls/control.h"
#include "platform/win32/controls/finder_target.h"
#include "platform/win32/controls/frame.h"
#include "platform/win32/controls/gradient_background.h"
#include "platform/win32/controls/label.h"
#include "platform/win32/controls/list_box.h"
#include "platform/win32/controls/list_view.h"
#include "platform/win32/controls/styled_button.h"
#include "platform/win32/controls/text_box.h"
