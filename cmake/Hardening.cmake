# What every shipped PE file gets beyond the common flags (ASLR, DEP, stack guard):
# - NO_SEH on 32 bits: the tool chain unwinds C++ with DWARF tables (.eh_frame, the
#   __gxx_personality_v0 personality), so no code of ours or of the static run-time installs an
#   exception-registration frame; with the flag the loader refuses any handler in the image that
#   a corrupted stack might name. (64-bit Windows finds handlers through .pdata instead.)
# - TSAWARE on the program: a Remote Desktop server gives it the real Windows folder, not a
#   per-user copy.
# - After the link, scripts/pe-finish.py strips the file, keeps its debug information beside it
#   (NAME.debug, GNU debuglink), pads it to 8 bytes and sets its PE checksum, so that signing and
#   removing the signature give these bytes back.
#   corvane_harden_and_finish(<target>)

find_program(CORVANE_PYTHON3 python3 REQUIRED)

function(corvane_harden_and_finish target)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        target_link_options(${target} PRIVATE -Wl,--no-seh)
    endif()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
        target_link_options(${target} PRIVATE -Wl,--tsaware)
    endif()
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CORVANE_PYTHON3} ${PROJECT_SOURCE_DIR}/scripts/pe-finish.py ${CMAKE_OBJCOPY}
            $<TARGET_FILE:${target}>
        VERBATIM)
endfunction()
