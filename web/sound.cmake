# One sound of the game as the page plays it: IMA ADPCM (a quarter of the
# bytes, decoded by SDL's own wave loader) where that keeps the sound at
# least 20 dB above the coding's noise, else 8-bit PCM, which keeps any
# sound about 35 dB clear and compresses as well on the way. Debian's sox
# converts and measures.   cmake -DSOX=... -DSOURCE=... -DOUTPUT=... -P sound.cmake
function(rms file result)  # the root mean square of a file's samples, in millionths of full scale
  execute_process(COMMAND ${SOX} ${ARGN} -n stat ERROR_VARIABLE stat RESULT_VARIABLE failed)
  if(failed OR NOT stat MATCHES "RMS +amplitude: +([0-9]+)\\.([0-9]+)")
    message(FATAL_ERROR "sox cannot measure ${file}: ${stat}")
  endif()
  set(whole ${CMAKE_MATCH_1})
  string(SUBSTRING "${CMAKE_MATCH_2}000000" 0 6 millionths)
  string(REGEX REPLACE "^0+([0-9])" "\\1" millionths "${millionths}")
  math(EXPR value "${whole} * 1000000 + ${millionths}")
  set(${result} ${value} PARENT_SCOPE)
endfunction()

execute_process(COMMAND ${SOX} ${SOURCE} -e ima-adpcm ${OUTPUT} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "sox cannot convert ${SOURCE}")
endif()
rms(${SOURCE} signal ${SOURCE})
rms(${OUTPUT} noise -m -v 1 ${SOURCE} -v -1 ${OUTPUT})
math(EXPR floor "${noise} * 10")  # 20 dB below the sound
if(signal LESS floor)
  execute_process(COMMAND ${SOX} -D ${SOURCE} -b 8 -e unsigned-integer ${OUTPUT} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "sox cannot convert ${SOURCE}")
  endif()
endif()
