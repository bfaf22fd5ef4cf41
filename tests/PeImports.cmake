# The import table of a PE file as `objdump -p` prints it, in either of its layouts:
#   binutils up to 2.43:  "\t<vma>\t <hint, decimal>  <name>"
#   binutils 2.44 on:     "\t<vma>  <ordinal or <none>>  <hint, hexadecimal>  <name>"
# (a "Bound-To" address may follow the name). Rows follow a "DLL Name:" line up to a blank line.
#   pe_import_table(<objdump text> <dll list var> <function list var>)
# The DLL names come as printed; the functions are every imported name, each once per DLL.
function(pe_import_table dump dllsVar functionsVar)
    string(REPLACE ";" "," dump "${dump}")
    string(REPLACE "\n" ";" lines "${dump}")
    set(dlls "")
    set(functions "")
    set(inTable FALSE)
    set(row "^[ \t]+[0-9a-fA-F]+[ \t]+(<none>[ \t]+[0-9a-fA-F]+|[0-9]+)[ \t]+")
    string(APPEND row "([A-Za-z_][A-Za-z0-9_@]*)([ \t]+[0-9a-fA-F]+)?[ \t]*$")
    foreach(line IN LISTS lines)
        if(line MATCHES "^[ \t]*DLL Name: (.+)$")
            string(STRIP "${CMAKE_MATCH_1}" dll)
            list(APPEND dlls "${dll}")
            set(inTable TRUE)
        elseif(inTable AND line MATCHES "${row}")
            list(APPEND functions ${CMAKE_MATCH_2})
        elseif(line STREQUAL "")
            set(inTable FALSE)
        endif()
    endforeach()
    set(${dllsVar} "${dlls}" PARENT_SCOPE)
    set(${functionsVar} "${functions}" PARENT_SCOPE)
endfunction()
