# Run by CPack on the staged tree just before it is packed. A Debian package
# owes a few things a plain installation doesn't: compressed manual pages and
# its own copyright and changelog files. They are added here rather than by
# install() so that `cmake --install` still installs the pages as written.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()

# -9 is the compression Debian asks for; -n keeps the name and time out of the
# header, so the same pages always give the same bytes.
function(gzip_in_place file)
  execute_process(COMMAND gzip -9nf "${file}" COMMAND_ERROR_IS_FATAL ANY)
endfunction()

file(GLOB_RECURSE pages "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*")
list(FILTER pages INCLUDE REGEX "/man/man[1-9]/[^/]+\\.[1-9]$")
foreach(page IN LISTS pages)
  gzip_in_place("${page}")
endforeach()

# Debian looks for these in /usr whatever the package's prefix.
set(doc "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/share/doc/${CPACK_PACKAGE_NAME}")
file(COPY "${CPACK_MANDELBROT_DEBIAN_DIR}/copyright" "${CPACK_MANDELBROT_DEBIAN_DIR}/changelog"
     DESTINATION "${doc}")
gzip_in_place("${doc}/changelog")
