# The plot renderer without OpenGL: the frame description, the painter canvas, the file
# export and the PDF report. Both the desktop program and korvane-cli-draw (the drawing commands) use it.
set(KORVANE_RENDER_SOURCES
    src/view/PlotCanvas.h src/view/ViewGeometry.h src/view/PlotOptions.h
    src/view/AxisTicks.h src/view/AxisTicks.cpp
    src/view/PlotRenderer.h src/view/PlotRenderer.cpp
    src/view/ProfilePlot.h src/view/ProfilePlot.cpp
    src/view/SitePlot.h src/view/SitePlot.cpp
    src/view/PainterCanvas.h src/view/PainterCanvas.cpp
    src/view/PlotExporter.h src/view/PlotExporter.cpp
    src/view/ReportContent.h src/view/ReportContent.cpp
    src/view/ReportWriter.h src/view/ReportWriter.cpp)
list(TRANSFORM KORVANE_RENDER_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/)
add_library(korvane_render STATIC ${KORVANE_RENDER_SOURCES})
target_include_directories(korvane_render PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(korvane_render PUBLIC korvane_core korvane_version Qt6::Gui Qt6::Svg Qt6::PrintSupport)

# The drawing commands of korvane-cli.
file(GLOB KORVANE_DRAW_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/cli/draw/*.cpp)
add_executable(korvane-cli-draw ${KORVANE_DRAW_SOURCES})
target_link_libraries(korvane-cli-draw PRIVATE korvane_cli korvane_render)
set_target_properties(korvane-cli-draw PROPERTIES RUNTIME_OUTPUT_DIRECTORY
                                                  "${KORVANE_DRAW_OUTPUT_DIRECTORY}")
