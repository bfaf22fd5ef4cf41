# objdump's two layouts of the import table (tests/data) read alike, row for row.
#   cmake -DDATA=<tests/data> -P PeImportsTest.cmake

cmake_minimum_required(VERSION 3.20)
include(${CMAKE_CURRENT_LIST_DIR}/PeImports.cmake)

set(expectedDlls "COMCTL32.DLL;KERNEL32.dll;msvcrt.dll;USER32.dll;WINSPOOL.DRV")
set(expectedFunctions "InitCommonControlsEx;AddVectoredExceptionHandler;CloseHandle;CreateEventA"
    "__doserrno;__getmainargs;__initenv;AppendMenuA;BeginPaint;DialogBoxParamA;EnumPortsA")
foreach(binutils 2.40 2.44)
    file(READ ${DATA}/objdump-${binutils}.txt dump)
    pe_import_table("${dump}" dlls functions)
    if(NOT dlls STREQUAL expectedDlls OR NOT functions STREQUAL expectedFunctions)
        message(FATAL_ERROR "binutils ${binutils} layout read as DLLs \"${dlls}\", "
            "functions \"${functions}\"")
    endif()
endforeach()
message(STATUS "both layouts of objdump's import table read alike")
