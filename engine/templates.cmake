# The template databases Cache.tdb and Project.tdb, made from the schema in resources/database
# and placed beside the engine library.
find_program(SQLITE3_EXECUTABLE sqlite3 REQUIRED)

set(zentrel_template_outputs)
foreach(template Cache Project)
    set(schema ${PROJECT_SOURCE_DIR}/resources/database/${template}.sql)
    set(output ${CMAKE_BINARY_DIR}/bin/${template}.tdb)
    add_custom_command(
        OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/bin
        COMMAND ${CMAKE_COMMAND} -E rm -f ${output} ${output}.tmp
        COMMAND ${SQLITE3_EXECUTABLE} -bail ${output}.tmp ".read ${schema}"
        COMMAND ${CMAKE_COMMAND} -E rename ${output}.tmp ${output}
        DEPENDS ${schema}
        COMMENT "Making the template database ${template}.tdb"
        VERBATIM)
    list(APPEND zentrel_template_outputs ${output})
endforeach()

add_custom_target(zentrel_templates ALL DEPENDS ${zentrel_template_outputs})
add_dependencies(zentrel zentrel_templates)
