# Qt Charts for the history module and the graph program.  Its package configuration
# needs Qt OpenGL's development files; where only the Qt OpenGL runtime is installed the
# library and headers of Qt Charts are used directly (it needs nothing else at build time).
if(NOT TARGET Qt6::Charts)
  find_package(Qt6 QUIET COMPONENTS Charts)
endif()
if(NOT TARGET Qt6::Charts)
  find_package(Qt6 REQUIRED COMPONENTS Widgets)
  find_library(SENTRELLE_QT6_CHARTS Qt6Charts REQUIRED)
  get_target_property(qt_core_includes Qt6::Core INTERFACE_INCLUDE_DIRECTORIES)
  list(GET qt_core_includes 0 qt_core_include)
  get_filename_component(qt_include_root ${qt_core_include} DIRECTORY)
  add_library(Qt6::Charts SHARED IMPORTED GLOBAL)
  set_target_properties(Qt6::Charts PROPERTIES IMPORTED_LOCATION ${SENTRELLE_QT6_CHARTS}
    INTERFACE_INCLUDE_DIRECTORIES ${qt_include_root}/QtCharts
    INTERFACE_LINK_LIBRARIES Qt6::Widgets)
endif()
