# Qt 6 desktop program: everything under src/app, src/view and src/ui.
find_package(Qt6 REQUIRED COMPONENTS Widgets OpenGLWidgets PrintSupport Svg)
find_package(OpenGL REQUIRED COMPONENTS OpenGL)
find_library(GLU_LIBRARY GLU REQUIRED)
include(${CMAKE_CURRENT_LIST_DIR}/Render.cmake)

file(GLOB KORVANE_GUI_SOURCES CONFIGURE_DEPENDS
     src/app/*.cpp src/app/*.h src/view/*.cpp src/view/*.h src/ui/*.cpp src/ui/*.h)
list(FILTER KORVANE_GUI_SOURCES EXCLUDE REGEX ".*/src/app/main\\.cpp$")
list(REMOVE_ITEM KORVANE_GUI_SOURCES ${KORVANE_RENDER_SOURCES})
if(KORVANE_GUI_SOURCES)
  set(CMAKE_AUTOMOC ON)
  set(CMAKE_AUTORCC ON)
  add_library(korvane_gui STATIC ${KORVANE_GUI_SOURCES})
  target_include_directories(korvane_gui PUBLIC src)
  target_link_libraries(korvane_gui PUBLIC korvane_core korvane_version korvane_render Qt6::Widgets Qt6::OpenGLWidgets
                                           Qt6::PrintSupport Qt6::Svg OpenGL::GL ${GLU_LIBRARY})
  if(EXISTS ${CMAKE_SOURCE_DIR}/src/app/main.cpp)
    add_executable(korvane src/app/main.cpp)
    target_link_libraries(korvane PRIVATE korvane_gui)
    target_compile_definitions(korvane PRIVATE KORVANE_APP_ID="${KORVANE_APP_ID}")
  endif()
endif()
