# Compiles the help pages into "flk.chm" with chmcmd.
#   cmake -DCHMCMD=... -DHELP_SOURCE=<folder> -DWORK_DIR=<scratch folder> -DOUTPUT=<flk.chm> -P compile_help.cmake
# Every file of the help folder is listed under [FILES] (chmcmd crashes and leaves an empty
# file when a page is missing from the list), and any warning, such as a broken link, fails
# the build rather than shipping a help file with holes.
file(REMOVE_RECURSE ${WORK_DIR})
file(COPY ${HELP_SOURCE}/ DESTINATION ${WORK_DIR})

file(GLOB_RECURSE pages RELATIVE ${WORK_DIR} ${WORK_DIR}/*.html ${WORK_DIR}/*.css ${WORK_DIR}/*.png ${WORK_DIR}/*.jpg)
list(SORT pages)
file(READ ${WORK_DIR}/flk.hhp.in project)
string(APPEND project "[FILES]\n")
foreach(page ${pages})
    string(APPEND project "${page}\n")
endforeach()
file(WRITE ${WORK_DIR}/flk.hhp "${project}")

execute_process(COMMAND ${CHMCMD} flk.hhp
    WORKING_DIRECTORY ${WORK_DIR}
    OUTPUT_VARIABLE log ERROR_VARIABLE log
    RESULT_VARIABLE result)
set(size 0)
if(EXISTS ${WORK_DIR}/flk.chm)
    file(SIZE ${WORK_DIR}/flk.chm size)
endif()
if(NOT result EQUAL 0 OR log MATCHES "Warning|Error|rror:" OR size EQUAL 0)
    message(FATAL_ERROR "chmcmd could not compile the help pages cleanly:\n${log}")
endif()

get_filename_component(output_dir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${output_dir})
file(COPY_FILE ${WORK_DIR}/flk.chm ${OUTPUT})
