# Run by CPack once it has made the Debian package: packs the same contents again with
# dpkg-deb, so that the package's bytes depend on the commit alone. CPack stamps the archive
# and every file with the time of the build; dpkg-deb takes SOURCE_DATE_EPOCH (by default the
# time of the last commit), sorts the files and names root as their owner. The modes are made
# those of a umask of 022 whatever the build's umask was.
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND git -C ${CPACK_KESTROVA_SOURCE_DIR} log -1 --format=%ct
    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
  if(failed OR epoch STREQUAL "")
    message(FATAL_ERROR "Set SOURCE_DATE_EPOCH: ${CPACK_KESTROVA_SOURCE_DIR} is no git checkout")
  endif()
endif()
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  set(tree ${deb}.contents)
  file(REMOVE_RECURSE ${tree})
  execute_process(COMMAND dpkg-deb --raw-extract ${deb} ${tree} COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND chmod -R go=u,go-w ${tree} COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND find ${tree} -exec touch --no-dereference --date=@${epoch} {} + COMMAND_ERROR_IS_FATAL ANY)
  # One compressor thread: xz splits its stream differently with more.
  execute_process(COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${epoch}
    dpkg-deb --root-owner-group -Zxz --threads-max=1 --build ${tree} ${deb}
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE ${tree})
endforeach()
