# The SDK's headers are included as <orvane/...>, in its own sources as in a host's. Installed,
# that root is include/; in the build tree it is a directory of links mapping orvane/<folder> onto
# the source folders, so the source layout stays as it is.
set(ORVANE_INCLUDE_ROOT ${PROJECT_BINARY_DIR}/include)
file(MAKE_DIRECTORY ${ORVANE_INCLUDE_ROOT}/orvane)
foreach(folder api banners core media model platform stories)
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder} ${ORVANE_INCLUDE_ROOT}/orvane/${folder} SYMBOLIC)
endforeach()
file(CREATE_LINK ${PROJECT_SOURCE_DIR}/quick ${ORVANE_INCLUDE_ROOT}/orvane/quick SYMBOLIC)
