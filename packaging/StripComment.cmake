# Run by CPack on the staged files before it packs them. Plain strip keeps the compiler's
# .comment section, which is no use in a package (Debian's own packaging removes it too).
find_program(OBJCOPY_PROGRAM objcopy REQUIRED)
file(GLOB programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/${CPACK_TRX_BINDIR}/*")
foreach(program IN LISTS programs)
  execute_process(COMMAND ${OBJCOPY_PROGRAM} --remove-section=.comment ${program}
    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
