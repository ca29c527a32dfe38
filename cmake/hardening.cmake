# Hardening as Debian builds its packages, and programs that do not depend on
# the folder they were built in.
#
# - Fortified string, memory and formatted-output calls.  They need the
#   optimiser (glibc warns without it, and -Werror turns that into an error),
#   so only the optimised build types have them, and not the sanitizer and
#   fuzz builds, whose checks cover the same ground.
# - A stack protector for functions with arrays or taken addresses.
# - Relocations read-only after start, all bound at start (full RELRO).
# - The folders of the sources and of the build recorded as "." and "build"
#   in file names, debug information and __FILE__, so that two builds from
#   two folders give the same programs.  The build folder's map comes last so
#   that it wins where the build folder lies inside the sources.
# None of these changes a floating-point operation.
if(NOT ZORB_SANITIZE AND NOT ZORB_FUZZ)
  set(optimised "$<CONFIG:Release,RelWithDebInfo,MinSizeRel>")
  add_compile_options("$<${optimised}:-U_FORTIFY_SOURCE>" "$<${optimised}:-D_FORTIFY_SOURCE=2>")
endif()
add_compile_options(-fstack-protector-strong)
add_link_options(LINKER:-z,relro LINKER:-z,now)
add_compile_options("-ffile-prefix-map=${CMAKE_SOURCE_DIR}=."
                    "-ffile-prefix-map=${CMAKE_BINARY_DIR}=build")
