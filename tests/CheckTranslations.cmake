# Fails when a translation catalogue is not complete for the current sources:
# lupdate runs over a copy of each .ts file, and any entry it leaves unfinished
# (a new or changed text) or marks vanished or obsolete (a text no longer in the
# sources) is reported. The catalogue PLURALS_TS holds the plural forms alone
# (the English one: its other texts read right untranslated) and is checked as
# lupdate -pluralonly keeps it.
#   cmake -DLUPDATE=<lupdate> -DSOURCE_DIR=<project> -DWORK_DIR=<dir> [-DPLURALS_TS=<ts>]
#         -P CheckTranslations.cmake
file(GLOB ts_files ${SOURCE_DIR}/translations/*.ts)
if(NOT ts_files)
    message(FATAL_ERROR "no translation catalogues in ${SOURCE_DIR}/translations")
endif()
set(failed FALSE)
foreach(ts IN LISTS ts_files)
    get_filename_component(name ${ts} NAME)
    file(MAKE_DIRECTORY ${WORK_DIR})
    file(COPY_FILE ${ts} ${WORK_DIR}/${name})
    set(options)
    if(DEFINED PLURALS_TS AND ts STREQUAL PLURALS_TS)
        set(options -pluralonly)
    endif()
    execute_process(
        COMMAND ${LUPDATE} -silent -locations none ${options} -I ${SOURCE_DIR}
            ${SOURCE_DIR}/app ${SOURCE_DIR}/unit ${SOURCE_DIR}/device ${SOURCE_DIR}/kiv ${SOURCE_DIR}/xml
            -ts ${WORK_DIR}/${name}
        RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "lupdate failed on ${name}")
    endif()
    file(STRINGS ${WORK_DIR}/${name} open REGEX "type=\"(unfinished|vanished|obsolete)\"")
    if(options)
        # lupdate -pluralonly drops the other texts silently: any left means the
        # catalogue was refreshed as a full one.
        file(STRINGS ${ts} plain REGEX "<message>")
        list(APPEND open ${plain})
    endif()
    list(LENGTH open count)
    if(count GREATER 0)
        message(SEND_ERROR "${name}: ${count} entries unfinished, vanished or obsolete; run the "
            "update_translations target and translate them")
        set(failed TRUE)
    endif()
endforeach()
if(failed)
    message(FATAL_ERROR "translations incomplete")
endif()
