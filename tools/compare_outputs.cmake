# Runs a generator into a fresh directory and fails unless every named file
# comes out byte for byte equal to the committed one.
#
# cmake -DGENERATOR=exe -DOUT_DIR=dir -DREF_DIR=dir "-DFILES=a;b" -P compare_outputs.cmake
file(REMOVE_RECURSE ${OUT_DIR})
execute_process(COMMAND ${GENERATOR} ${OUT_DIR} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${GENERATOR} failed: ${result}")
endif()
set(differ "")
foreach(name IN LISTS FILES)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT_DIR}/${name} ${REF_DIR}/${name}
        RESULT_VARIABLE same)
    if(NOT same EQUAL 0)
        list(APPEND differ ${name})
    endif()
endforeach()
if(differ)
    message(FATAL_ERROR "Generated files differ from ${REF_DIR}: ${differ}\n"
        "Regenerate them with: ${GENERATOR} ${REF_DIR}")
endif()
