# The download of one build: KVL.exe, its guide and a read-me in one zip, named with the
# version and the architecture. `make dist` gathers both builds' zips and their checksums.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(KVL_ARCH x86_64)
    set(KVL_SYSTEMS "64-bit Windows")
else()
    set(KVL_ARCH i686)
    set(KVL_SYSTEMS "32-bit and 64-bit Windows")
endif()
set(KVL_ZIP_STAGE ${CMAKE_BINARY_DIR}/zip-stage)
set(KVL_ZIP ${CMAKE_BINARY_DIR}/dist/KVL-${PROJECT_VERSION}-${KVL_ARCH}.zip)
# Notepad before Windows 10 shows a file without CR LF line ends as one long line.
configure_file(${CMAKE_SOURCE_DIR}/docs/readme-zip.txt ${KVL_ZIP_STAGE}/ReadMe.txt
               @ONLY NEWLINE_STYLE CRLF)
# A fixed time stamp on the members and no extra attributes (-X): the same sources give the
# same zip and checksum.
find_program(KVL_ZIP_TOOL zip REQUIRED)
add_custom_command(
    OUTPUT ${KVL_ZIP}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/dist
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/dist
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:KVL> ${CMAKE_BINARY_DIR}/kvlhelp.doc
            ${KVL_ZIP_STAGE}
    COMMAND ${CMAKE_COMMAND} -E env TZ=UTC
            touch -d "2000-01-01 00:00:00" KVL.exe kvlhelp.doc ReadMe.txt
    COMMAND ${CMAKE_COMMAND} -E env TZ=UTC
            ${KVL_ZIP_TOOL} -q -X ${KVL_ZIP} KVL.exe kvlhelp.doc ReadMe.txt
    WORKING_DIRECTORY ${KVL_ZIP_STAGE}
    DEPENDS KVL kvlhelp ${CMAKE_BINARY_DIR}/kvlhelp.doc ${KVL_ZIP_STAGE}/ReadMe.txt
    VERBATIM)
add_custom_target(kvl_zip ALL DEPENDS ${KVL_ZIP})
