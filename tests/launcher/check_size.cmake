# Fails unless PROGRAM is smaller than LIMIT bytes: the launcher is kept small on purpose, and
# a call that can throw quietly brings in the C++ library's exception support (over 100 KB).
cmake_minimum_required(VERSION 3.20)
file(SIZE ${PROGRAM} size)
if(NOT size LESS LIMIT)
  message(FATAL_ERROR "${PROGRAM} is ${size} bytes, not under ${LIMIT}")
endif()
message(STATUS "${PROGRAM}: ${size} bytes")
