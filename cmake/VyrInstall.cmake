# The display core for hosts built outside this tree. A host's build names the same targets either
# way it takes the core:
#   find_package(VyrDisplayCore CONFIG REQUIRED)        an installed copy (cmake --install)
#   add_subdirectory(<this tree> vyr EXCLUDE_FROM_ALL)  the tree itself
#   target_link_libraries(host PRIVATE Vyr::VyrDsCore Vyr::vyr_host_display)
# The two targets carry the include folders and the platform libraries as usage requirements.
#
# Below the prefix: the platform libraries and the core (shared) and the host's body geometry
# (static) in lib/; every public header in include/VyrDisplayCore/ (header names are unique across
# the tree's folders, so one folder holds them all); the data folder in share/VyrDisplayCore/data,
# which the installed services library finds beside itself (CVyrRegistry::GetDataDir); the
# package in lib/cmake/VyrDisplayCore.
include(CMakePackageConfigHelpers)

set(VYR_SHARED_LIBRARIES vyr_windows vyr_mfc vyr_services vyr_host vyr_acis vyr_modeler_ext vyr_scene_db VyrDsCore)
set(VYR_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/${PROJECT_NAME})

foreach(target ${VYR_SHARED_LIBRARIES} vyr_host_display)
  add_library(Vyr::${target} ALIAS ${target})
endforeach()

# An installed library finds the others beside it ($ORIGIN: each library's run path serves its own
# dependencies only), and what it was linked against outside the system's folders.
set_target_properties(${VYR_SHARED_LIBRARIES} PROPERTIES INSTALL_RPATH "$ORIGIN" INSTALL_RPATH_USE_LINK_PATH ON)

# The public headers are C++17.
target_compile_features(VyrDsCore INTERFACE cxx_std_17)
# A host of a sanitized core links the sanitizers' runtimes too.
if(VYR_SANITIZE)
  target_link_options(VyrDsCore INTERFACE -fsanitize=address,undefined)
endif()

install(TARGETS ${VYR_SHARED_LIBRARIES} vyr_host_display EXPORT ${PROJECT_NAME}Targets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        INCLUDES DESTINATION ${VYR_INSTALL_INCLUDEDIR})
file(GLOB vyr_public_headers CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/platform/*/include/*.h
     ${PROJECT_SOURCE_DIR}/src/*/*.h ${PROJECT_SOURCE_DIR}/src/*/*.inl
     ${PROJECT_SOURCE_DIR}/apps/host/*.h)
install(FILES ${vyr_public_headers} DESTINATION ${VYR_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/ DESTINATION ${VYR_INSTALL_DATADIR})

install(EXPORT ${PROJECT_NAME}Targets NAMESPACE Vyr:: DESTINATION ${VYR_PACKAGE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/${PROJECT_NAME}Config.cmake.in
                              ${PROJECT_BINARY_DIR}/${PROJECT_NAME}Config.cmake
                              INSTALL_DESTINATION ${VYR_PACKAGE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/${PROJECT_NAME}ConfigVersion.cmake
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/${PROJECT_NAME}Config.cmake ${PROJECT_BINARY_DIR}/${PROJECT_NAME}ConfigVersion.cmake
        DESTINATION ${VYR_PACKAGE_DIR})
