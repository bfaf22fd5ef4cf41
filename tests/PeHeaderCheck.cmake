# Host-side check of a shipped PE file's header as `objdump -h -p` prints it: the DLL
# characteristics hold every flag asked for, the base relocations are there (an image without
# them loads at its preferred address alone, whatever DYNAMIC_BASE says), no DWARF section is
# shipped, and a GNU debuglink names the debug file kept beside the build.
#   cmake -DPROGRAM=<file> -DOBJDUMP=<objdump> -DFLAGS=<flag;...> -P PeHeaderCheck.cmake
# FLAGS from: DYNAMIC_BASE NX_COMPAT NO_SEH TERMINAL_SERVER_AWARE

cmake_minimum_required(VERSION 3.20)

# IMAGE_DLLCHARACTERISTICS_* bits.
set(bit_DYNAMIC_BASE 0x0040)
set(bit_NX_COMPAT 0x0100)
set(bit_NO_SEH 0x0400)
set(bit_TERMINAL_SERVER_AWARE 0x8000)

execute_process(COMMAND ${OBJDUMP} -h -p ${PROGRAM} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "${OBJDUMP} -h -p ${PROGRAM} failed")
endif()

set(wrong "")
if(NOT dump MATCHES "\nDllCharacteristics[ \t]+([0-9a-fA-F]+)\n")
    message(FATAL_ERROR "no DllCharacteristics in the header: objdump's format changed?")
endif()
set(characteristics 0x${CMAKE_MATCH_1})
foreach(flag IN LISTS FLAGS)
    if(NOT DEFINED bit_${flag})
        message(FATAL_ERROR "unknown flag ${flag}")
    endif()
    math(EXPR set "${characteristics} & ${bit_${flag}}")
    if(set EQUAL 0)
        list(APPEND wrong "${flag} not set (DllCharacteristics ${characteristics})")
    endif()
endforeach()

if(dump MATCHES "\n[ \t]+relocations stripped\n")
    list(APPEND wrong "relocations stripped")
endif()
if(NOT dump MATCHES "\nEntry 5 [0-9a-fA-F]+ ([0-9a-fA-F]+) Base Relocation Directory" OR
        CMAKE_MATCH_1 MATCHES "^0+$")
    list(APPEND wrong "no base relocations")
endif()

string(REGEX MATCHALL "\n +[0-9]+ (\\.[A-Za-z_.$0-9]+)" sections "${dump}")
list(LENGTH sections sectionCount)
if(sectionCount EQUAL 0)
    message(FATAL_ERROR "no section read: objdump's format changed?")
endif()
if(dump MATCHES "\n +[0-9]+ (\\.debug_[a-z_]+)")
    list(APPEND wrong "carries ${CMAKE_MATCH_1}")
endif()
if(NOT dump MATCHES "\n +[0-9]+ \\.gnu_debuglink ")
    list(APPEND wrong "no .gnu_debuglink")
endif()

if(wrong)
    string(REPLACE ";" "; " wrong "${wrong}")
    message(FATAL_ERROR "${PROGRAM}: ${wrong}")
endif()
string(REPLACE ";" ", " FLAGS "${FLAGS}")
message(STATUS "${PROGRAM}: ${FLAGS}, base relocations, no DWARF, a debuglink")
