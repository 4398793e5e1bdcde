# cmake -DMAKER=... -DSOURCE=games/demo -DFILES=a,b -P CompareAssets.cmake
# Makes the assets afresh and fails unless every one equals the committed file byte for byte.
set(out ${CMAKE_CURRENT_BINARY_DIR}/demo-assets-check)
file(REMOVE_RECURSE ${out})
execute_process(COMMAND ${MAKER} ${out} RESULT_VARIABLE made)
if(NOT made EQUAL 0)
    message(FATAL_ERROR "MakeDemoAssets failed")
endif()
string(REPLACE "," ";" FILES "${FILES}")
foreach(file IN LISTS FILES)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${out}/${file} ${SOURCE}/${file}
                    RESULT_VARIABLE differs)
    if(NOT differs EQUAL 0)
        message(SEND_ERROR "${file} differs from what the tools make (rebuild it with: MakeDemoAssets games/demo)")
    endif()
endforeach()
file(REMOVE_RECURSE ${out})
