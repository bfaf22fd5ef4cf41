# Host-side check of a built program's manifest, for a flavour that cannot run here: the
# program's own identity names the architecture its PE header says it is built for, and the
# common-controls dependency asks for any architecture ("*").
#   cmake -DPROGRAM=<Corvane.exe> -P ManifestCheck.cmake

# Little-endian number from hexadecimal text, byte by byte.
function(read_le file offset size out)
    file(READ ${file} bytes OFFSET ${offset} LIMIT ${size} HEX)
    set(value 0)
    math(EXPR last "${size} - 1")
    foreach(i RANGE ${last} 0 -1)
        math(EXPR at "${i} * 2")
        string(SUBSTRING ${bytes} ${at} 2 byte)
        math(EXPR value "${value} * 256 + 0x${byte}")
    endforeach()
    set(${out} ${value} PARENT_SCOPE)
endfunction()

read_le(${PROGRAM} 60 4 header)
math(EXPR machineAt "${header} + 4")
read_le(${PROGRAM} ${machineAt} 2 machine)
if(machine EQUAL 332) # IMAGE_FILE_MACHINE_I386
    set(arch x86)
elseif(machine EQUAL 34404) # IMAGE_FILE_MACHINE_AMD64
    set(arch amd64)
else()
    message(FATAL_ERROR "${PROGRAM}: unknown machine ${machine}")
endif()

file(STRINGS ${PROGRAM} lines REGEX "processorArchitecture=")
set(own FALSE)
set(controls FALSE)
foreach(line IN LISTS lines)
    if(line MATCHES "name=\"Corvane\\.Corvane\"")
        if(NOT line MATCHES "processorArchitecture=\"${arch}\"")
            message(FATAL_ERROR "the program's identity does not name ${arch}: ${line}")
        endif()
        set(own TRUE)
    elseif(line MATCHES "publicKeyToken=\"6595b64144ccf1df\"")
        if(NOT line MATCHES "processorArchitecture=\"\\*\"")
            message(FATAL_ERROR "the common controls are tied to one architecture: ${line}")
        endif()
        set(controls TRUE)
    else()
        message(FATAL_ERROR "an architecture outside the two identities: ${line}")
    endif()
endforeach()
if(NOT own OR NOT controls)
    message(FATAL_ERROR "manifest identities missing (program ${own}, common controls ${controls})")
endif()
message(STATUS "${PROGRAM}: ${arch} program, common controls for any architecture")
