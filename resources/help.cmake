# The full manual: the help pages compiled into OcraHelp.chm in the program
# folder, with chmcmd from Debian's fp-utils. Included by the top-level
# CMakeLists.txt after OCRA_PROGRAM_DIR is set. Without chmcmd there is no
# compiled manual, and "More Help" opens the pages' contents page instead.
find_program(OCRA_CHMCMD chmcmd)
if(OCRA_CHMCMD)
  file(GLOB ocra_help_pages CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/program/Help/*)
  file(GLOB ocra_help_project CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/help/OcraHelp.*)
  set(ocra_help_stage ${CMAKE_BINARY_DIR}/help-stage)
  # The compiler wants the project and the pages in one folder.
  add_custom_command(OUTPUT ${OCRA_PROGRAM_DIR}/OcraHelp.chm
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${ocra_help_stage}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ocra_help_stage}
    COMMAND ${CMAKE_COMMAND} -E copy ${ocra_help_pages} ${ocra_help_project} ${ocra_help_stage}
    COMMAND ${CMAKE_COMMAND} -E chdir ${ocra_help_stage} ${OCRA_CHMCMD} --verbosity 0 OcraHelp.hhp
    COMMAND ${CMAKE_COMMAND} -E copy ${ocra_help_stage}/OcraHelp.chm ${OCRA_PROGRAM_DIR}/OcraHelp.chm
    DEPENDS ${ocra_help_pages} ${ocra_help_project}
    COMMENT "Compiling the manual OcraHelp.chm"
    VERBATIM)
  add_custom_target(help_manual ALL DEPENDS ${OCRA_PROGRAM_DIR}/OcraHelp.chm)
else()
  message(STATUS "chmcmd (package fp-utils) not found: no compiled manual; More Help opens Help/index.html")
endif()
