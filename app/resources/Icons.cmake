# The icons are drawn as SVG in resources/icons and rendered to PNG at build
# time, at the sizes the windows use, so the tool loads no SVG renderer when
# it starts.
if(CMAKE_CROSSCOMPILING)
  # The icons are the same on every platform: the host build's renderer draws
  # them (the Qt built for Windows has no SVG module).
  set(TIDEWELL_HOST_ICON_RENDERER ${CMAKE_SOURCE_DIR}/build/bin/tidewell-icon-renderer CACHE FILEPATH
      "The host build's tidewell-icon-renderer")
  if(NOT EXISTS ${TIDEWELL_HOST_ICON_RENDERER})
    message(FATAL_ERROR "${TIDEWELL_HOST_ICON_RENDERER} is missing: build it first "
                        "(cmake --build build --target tidewell-icon-renderer)")
  endif()
  set(icon_renderer ${TIDEWELL_HOST_ICON_RENDERER})
  set(icon_renderer_depends ${TIDEWELL_HOST_ICON_RENDERER})
else()
  find_package(Qt6 REQUIRED COMPONENTS Svg)
  add_executable(tidewell-icon-renderer tools/IconRenderer.cpp)
  target_link_libraries(tidewell-icon-renderer PRIVATE Qt6::Gui Qt6::Svg)
  tidewell_warnings(tidewell-icon-renderer)
  set(icon_renderer $<TARGET_FILE:tidewell-icon-renderer>)
  set(icon_renderer_depends tidewell-icon-renderer)
endif()

set(tidewell_icon_names about build check-update client configure new open preview registry
    save server-files tidewell)
set(tidewell_icon_sizes 16 20 24 32 36 48 64 72)
set(icon_dir ${CMAKE_CURRENT_BINARY_DIR}/icons)
file(MAKE_DIRECTORY ${icon_dir})
set(icon_svgs)
set(icon_pngs)
set(icon_qrc_entries)
foreach(name IN LISTS tidewell_icon_names)
  list(APPEND icon_svgs ${CMAKE_CURRENT_SOURCE_DIR}/resources/icons/${name}.svg)
  foreach(size IN LISTS tidewell_icon_sizes)
    list(APPEND icon_pngs ${icon_dir}/${name}-${size}.png)
    string(APPEND icon_qrc_entries "    <file>${name}-${size}.png</file>\n")
  endforeach()
endforeach()
string(REPLACE ";" "," icon_size_list "${tidewell_icon_sizes}")
add_custom_command(OUTPUT ${icon_pngs}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
          ${icon_renderer} ${icon_dir} ${icon_size_list} ${icon_svgs}
  DEPENDS ${icon_renderer_depends} ${icon_svgs}
  COMMENT "Rendering the desktop tool's icons"
  VERBATIM)
file(WRITE ${icon_dir}/icons.qrc.in
  "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n  <qresource prefix=\"/icons\">\n${icon_qrc_entries}  </qresource>\n</RCC>\n")
configure_file(${icon_dir}/icons.qrc.in ${icon_dir}/icons.qrc COPYONLY)
qt_add_resources(tidewell_icon_sources ${icon_dir}/icons.qrc)
target_sources(tidewell-app PRIVATE ${tidewell_icon_sources})
