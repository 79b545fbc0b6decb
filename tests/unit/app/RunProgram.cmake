# Runs PROGRAM with ARGS and checks its exit status and both outputs
# against STATUS, OUT and ERR (regular expressions).
execute_process(COMMAND ${PROGRAM} ${ARGS} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err
                TIMEOUT 20)
set(failures "")
if(NOT rc STREQUAL STATUS)
  string(APPEND failures "exit status ${rc}, expected ${STATUS}\n")
endif()
if(NOT out MATCHES "${OUT}")
  string(APPEND failures "stdout does not match ${OUT}\n")
endif()
if(NOT err MATCHES "${ERR}")
  string(APPEND failures "stderr does not match ${ERR}\n")
endif()
if(failures)
  message(FATAL_ERROR "${PROGRAM} ${ARGS}:\n${failures}--- stdout:\n${out}--- stderr:\n${err}")
endif()
