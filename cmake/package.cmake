# The Debian package: `cpack -G DEB` in the build folder makes
# netstep_VERSION_ARCH.deb with the program, its man page, copyright and
# changelog; the dependencies come from the binary (dpkg-shlibdeps), the
# program is stripped, and lintian is the check.
set(NETSTEP_PACKAGE_MAINTAINER "netstep developers <netstep@example.org>" CACHE STRING
    "The Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME netstep)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${NETSTEP_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# Each line after the first starts with a space in the control file; CPack
# adds it.
set(CPACK_PACKAGE_DESCRIPTION
  "netstep asks for an IPv4 address and a subnet mask and shows the network
address, the first and the last host address and the broadcast address of the
network the address belongs to; + and - step to the next and the previous
network of the same size. Given the address and the mask (or a prefix length)
on its command line, it answers once for scripts and pipes, in full or as JSON
if asked, and it plans networks of IPv4 and IPv6: it splits them into
subnets, sizes subnets for host counts, turns address ranges into networks,
aggregates, intersects and subtracts lists, counts their addresses, and finds
the lines of logs whose addresses fall in a set of networks.")
include(CPack)
