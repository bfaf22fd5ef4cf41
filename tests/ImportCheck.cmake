# Host-side check of what the shipped program loads at start and what it carries: its import table
# names only DLLs that the loader takes from the system (KERNEL32, USER32, msvcrt, and COMCTL32
# only where the manifest asks for the common controls 6, which come from the side-by-side
# store); a DLL beyond those would be looked for beside the program first, in a Downloads folder
# next to whatever else was downloaded. Nothing of the coverage build may be in the file.
#   cmake -DPROGRAM=<Corvane.exe> -DOBJDUMP=<objdump> -P ImportCheck.cmake
#   cmake -DPROGRAM=<file> -DDUMP=<objdump -p text> -P ImportCheck.cmake   (the dump as given)

cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/PeImports.cmake)

if(DEFINED DUMP)
    file(READ ${DUMP} dump)
else()
    execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "${OBJDUMP} -p ${PROGRAM} failed")
    endif()
endif()
pe_import_table("${dump}" dlls functions)
list(LENGTH functions functionCount)
if(functionCount EQUAL 0)
    message(FATAL_ERROR "no import read: objdump's format changed?")
endif()

set(allowed KERNEL32.DLL USER32.DLL MSVCRT.DLL)
file(STRINGS ${PROGRAM} controls6
    REGEX "name=\"Microsoft\\.Windows\\.Common-Controls\"[ \t]+version=\"6\\.0\\.0\\.0\"")
if(controls6)
    list(APPEND allowed COMCTL32.DLL)
endif()
set(refused "")
foreach(dll IN LISTS dlls)
    string(TOUPPER "${dll}" name)
    if(NOT name IN_LIST allowed)
        message(STATUS "refused: ${dll}")
        list(APPEND refused "${dll}")
    endif()
endforeach()
if(refused)
    string(REPLACE ";" ", " refused "${refused}")
    message(FATAL_ERROR "${PROGRAM} imports ${refused}: not in the allow-list (${allowed}); "
        "load it at run time from the system folder instead")
endif()

# The coverage build's event names, its class and its thread, and the gcov run-time.
file(STRINGS ${PROGRAM} coverage REGEX "CoverageDump|__gcov_|\\.gcda")
if(coverage)
    list(GET coverage 0 first)
    message(FATAL_ERROR "${PROGRAM} holds the coverage build's \"${first}\"")
endif()

string(REPLACE ";" ", " dlls "${dlls}")
message(STATUS "${PROGRAM}: imports only from ${dlls}; nothing of the coverage build")
