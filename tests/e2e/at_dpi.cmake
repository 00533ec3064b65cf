# Runs PROGRAM (under EMULATOR) with ARGS once at each of DPIS (commas between): Wine reads
# HKCU\Control Panel\Desktop\LogPixels as each program starts, so the prompt and the test
# that measures it both start at that DPI, which the test finds in VANTREL_FIT_DPI. The value
# is removed at the end whatever the outcome, which gives back the prefix's default of 96.
set(key "HKCU\\Control Panel\\Desktop")
separate_arguments(args NATIVE_COMMAND "${ARGS}")
set(failed "")
string(REPLACE "," ";" dpis "${DPIS}")
foreach(dpi IN LISTS dpis)
  execute_process(COMMAND ${EMULATOR} reg add ${key} /v LogPixels /t REG_DWORD /d ${dpi} /f
                  RESULT_VARIABLE set_result OUTPUT_QUIET ERROR_QUIET)
  set(ENV{VANTREL_FIT_DPI} ${dpi})
  execute_process(COMMAND ${EMULATOR} ${PROGRAM} ${args} RESULT_VARIABLE result)
  if(NOT set_result EQUAL 0 OR NOT result EQUAL 0)
    list(APPEND failed ${dpi})
  endif()
endforeach()
execute_process(COMMAND ${EMULATOR} reg delete ${key} /v LogPixels /f OUTPUT_QUIET ERROR_QUIET)
if(failed)
  message(FATAL_ERROR "failed at ${failed} DPI")
endif()
