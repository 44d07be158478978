# setup.exe's link script: the linker's default layout with two edits, which
# between them save setup.exe one 512-byte sector (17,408 bytes instead of
# 17,920 when they were made); neither saves one alone.
# orvid_setup_layout(FILE): writes the script to FILE.
function(orvid_setup_layout file)
    execute_process(COMMAND ${CMAKE_LINKER} --verbose OUTPUT_VARIABLE layout)
    string(REGEX MATCH "\n=+\n(.*)\n=+\n" layout "${layout}")
    set(layout "${CMAKE_MATCH_1}")
    set(data_inputs "*(.data)\n    *(.data2)\n    *(SORT(.data$*))")
    string(FIND "${layout}" "${data_inputs}" data_at)
    string(FIND "${layout}" "KEEP (SORT(*)(.idata$7))" idata_at)
    string(FIND "${layout}" "SECTIONS\n{\n" sections_at)
    if(data_at EQUAL -1 OR idata_at EQUAL -1 OR sections_at EQUAL -1)
        message(FATAL_ERROR "the linker's default layout is not the one expected")
    endif()
    # 1. The initialized data joined to the import tables, both writable data:
    #    one section less, so the data's own sector goes (244 bytes of data in
    #    512 then).
    string(REPLACE "${data_inputs}" "" layout "${layout}")
    string(REPLACE "KEEP (SORT(*)(.idata$7))" "KEEP (SORT(*)(.idata$7))\n    ${data_inputs}" layout "${layout}")
    # 2. Each imported function's member of an import library
    #    (libNAMEs00042.o) adds four bytes of .idata$7 that only tie it to the
    #    library's head member; the loader never reads them. The library's
    #    name, also .idata$7, stays. This takes 4 bytes a function off the
    #    joined section (288 for 72 functions then), which without it would
    #    outgrow its sectors by one, and the first edit would save nothing.
    string(REPLACE "SECTIONS\n{\n" "SECTIONS\n{\n  /DISCARD/ : { *s[0-9][0-9][0-9][0-9][0-9].o(.idata$7) }\n" layout "${layout}")
    file(WRITE ${file} "${layout}\n")
endfunction()
