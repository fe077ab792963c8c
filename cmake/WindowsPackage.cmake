# cmake -DEXE=.. -DGAME=.. -DREADME=.. -DSTAGE=.. -DZIP=.. -P WindowsPackage.cmake
#
# Packs the Windows game: STAGE/Valkron holds the executable, the game data
# (never a settings file a test run left there) and the players' README
# with Windows line ends; ZIP is that folder zipped.
file(REMOVE_RECURSE ${STAGE})
set(folder ${STAGE}/Valkron)
file(MAKE_DIRECTORY ${folder})
file(COPY ${GAME}/ DESTINATION ${folder}
  REGEX "/[Ss][Ee][Tt][Tt][Ii][Nn][Gg][Ss]\\.[Ii][Nn][Ii](\\.tmp)?$" EXCLUDE)
file(COPY ${EXE} DESTINATION ${folder})
configure_file(${README} ${folder}/README.txt @ONLY NEWLINE_STYLE CRLF)
file(REMOVE ${ZIP})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip Valkron
  WORKING_DIRECTORY ${STAGE} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cannot write ${ZIP}")
endif()
