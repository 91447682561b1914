# Run by cpack after it built the packages (CPACK_POST_BUILD_SCRIPTS); a
# package is rebuilt, its files unchanged, where its control member needs:
# - libc's ldconfig trigger in place of the ldconfig calls CPack writes into
#   postinst and postrm (Debian wants the trigger);
# - in a cross build, dependencies named for the target's packages: the cross
#   sysroot's shlibs files name the cross toolchain's (libgcc-s1-armhf-cross)
#   or qualify them (libc6:armhf), where the target's own system has libgcc-s1
#   and libc6.
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  set(tree ${deb}.tree)
  file(REMOVE_RECURSE ${tree})
  execute_process(COMMAND dpkg-deb -R ${deb} ${tree} COMMAND_ERROR_IS_FATAL ANY)
  set(changed FALSE)
  if(EXISTS ${tree}/DEBIAN/postinst)
    file(REMOVE ${tree}/DEBIAN/postinst ${tree}/DEBIAN/postrm)
    file(WRITE ${tree}/DEBIAN/triggers "activate-noawait ldconfig\n")
    set(changed TRUE)
  endif()
  file(READ ${tree}/DEBIAN/control control)
  string(REGEX REPLACE "([a-z0-9.+]+(-[a-z0-9.+]+)*)-(armhf|armel|arm64)-cross" "\\1" fixed "${control}")
  string(REGEX REPLACE ":(armhf|armel|arm64)([ ,)\n])" "\\2" fixed "${fixed}")
  if(NOT fixed STREQUAL control)
    file(WRITE ${tree}/DEBIAN/control "${fixed}")
    set(changed TRUE)
  endif()
  if(changed)
    execute_process(COMMAND dpkg-deb --root-owner-group -Zxz --build ${tree} ${deb} OUTPUT_QUIET
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()
  file(REMOVE_RECURSE ${tree})
endforeach()
