# The code page 932 table (src/text/cp932.tbl, made by tools/cp932) goes into the program as
# bytes: TARGET gets the include directory of cp932_table.inc, rewritten only when the table
# changed, so that configuring again rebuilds nothing.
function(kb_embed_cp932_table target table)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${table})
    file(READ ${table} hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    set(out ${CMAKE_BINARY_DIR}/generated/cp932_table.inc)
    file(WRITE ${out}.new "${bytes}\n")
    configure_file(${out}.new ${out} COPYONLY)
    target_include_directories(${target} PRIVATE ${CMAKE_BINARY_DIR}/generated)
endfunction()
