# The plot renderer without OpenGL: the frame description, the painter canvas and the file
# export. Both the desktop program and korvane-cli (the plot command) draw with it.
set(KORVANE_RENDER_SOURCES
    src/view/PlotCanvas.h src/view/ViewGeometry.h src/view/PlotOptions.h
    src/view/AxisTicks.h src/view/AxisTicks.cpp
    src/view/PlotRenderer.h src/view/PlotRenderer.cpp
    src/view/ProfilePlot.h src/view/ProfilePlot.cpp
    src/view/PainterCanvas.h src/view/PainterCanvas.cpp
    src/view/PlotExporter.h src/view/PlotExporter.cpp)
list(TRANSFORM KORVANE_RENDER_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/)
add_library(korvane_render STATIC ${KORVANE_RENDER_SOURCES})
target_include_directories(korvane_render PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(korvane_render PUBLIC korvane_core Qt6::Gui Qt6::Svg Qt6::PrintSupport)
if(TARGET korvane-cli)
  target_link_libraries(korvane-cli PRIVATE korvane_render)
endif()
