# Host-side check of the oldest Windows the program is for: its PE header names Windows 7
# (OS and subsystem version 6.1), every function it imports is documented, and every import
# that needs more than Windows XP is one the list of such imports names, none of them beyond
# the header's Windows.
#   cmake -DPROGRAM=<Corvane.exe> -DOBJDUMP=<objdump> -DCALLS=<win32-calls.md>
#         -DABOVE_XP=<imports-above-xp.txt> -P FloorCheck.cmake

cmake_minimum_required(VERSION 3.20)

set(floor "6.1")
# Windows versions by their NT numbers, as the list and the documentation name them.
set(version_XP 5.1)
set(version_Vista 6.0)
set(version_7 6.1)
set(version_8 6.2)
set(version_10 10.0)

execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "${OBJDUMP} -p ${PROGRAM} failed")
endif()

# The header.
foreach(field OSystem Subsystem)
    if(NOT dump MATCHES "Major${field}Version[ \t]+([0-9]+)\n[^\n]*Minor${field}Version[ \t]+([0-9]+)")
        message(FATAL_ERROR "no ${field} version in the header")
    endif()
    if(NOT "${CMAKE_MATCH_1}.${CMAKE_MATCH_2}" VERSION_EQUAL floor)
        message(FATAL_ERROR "the header's ${field} version is ${CMAKE_MATCH_1}.${CMAKE_MATCH_2}, not ${floor}")
    endif()
endforeach()

# The import table, in either layout of objdump's.
include(${CMAKE_CURRENT_LIST_DIR}/PeImports.cmake)
pe_import_table("${dump}" dlls imports)
list(REMOVE_DUPLICATES imports)
list(LENGTH imports importCount)
if(importCount LESS 50)
    message(FATAL_ERROR "only ${importCount} imports read: objdump's format changed?")
endif()

# The imports allowed above XP, each with the Windows it needs.
file(STRINGS ${ABOVE_XP} entries REGEX "^[A-Za-z_]")
set(allowed "")
foreach(entry IN LISTS entries)
    if(NOT entry MATCHES "^([A-Za-z_][A-Za-z0-9_]*)[ \t]+(Vista|7|8|10)([ \t]|$)")
        message(FATAL_ERROR "${ABOVE_XP}: cannot read \"${entry}\"")
    endif()
    set(name ${CMAKE_MATCH_1})
    if(version_${CMAKE_MATCH_2} VERSION_GREATER floor)
        message(FATAL_ERROR "${name} needs Windows ${CMAKE_MATCH_2}, beyond the header's ${floor}")
    endif()
    if(NOT name IN_LIST imports)
        message(FATAL_ERROR "${ABOVE_XP} names ${name}, which the program does not import")
    endif()
    list(APPEND allowed ${name})
endforeach()

# Every import documented; a documented row that says it needs more than XP is in the list.
file(READ ${CALLS} calls)
foreach(name IN LISTS imports)
    if(NOT calls MATCHES "[^A-Za-z0-9_]${name}[^A-Za-z0-9_]")
        message(FATAL_ERROR "${name} is imported but not in ${CALLS}: look up the oldest Windows "
            "it needs, document it, and list it in ${ABOVE_XP} if that is newer than XP")
    endif()
endforeach()
file(STRINGS ${CALLS} rows REGEX "^\\| [A-Za-z_]")
foreach(row IN LISTS rows)
    # Function(s) | where | rely on | reference | since | Wine
    if(row MATCHES "^\\| ([^|]*) \\|[^|]*\\|[^|]*\\|[^|]*\\| (Vista|7|8|10) \\|")
        string(REGEX MATCHALL "[A-Za-z_][A-Za-z0-9_]*" names "${CMAKE_MATCH_1}")
        foreach(name IN LISTS names)
            if(name IN_LIST imports AND NOT name IN_LIST allowed)
                message(FATAL_ERROR "${name} needs Windows ${CMAKE_MATCH_2} per ${CALLS} but is "
                    "not in ${ABOVE_XP}")
            endif()
        endforeach()
    endif()
endforeach()

list(LENGTH allowed allowedCount)
message(STATUS "${PROGRAM}: Windows ${floor} in the header; ${importCount} imports documented, "
    "${allowedCount} of them above XP and allowed")
