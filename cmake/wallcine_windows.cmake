# The Windows side of the build: the Win32 support library, Wallcine.exe and the Windows tests.
enable_language(RC)

file(GLOB WALLCINE_WIN_SOURCES CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/src/win/*.cpp
  ${PROJECT_SOURCE_DIR}/src/timer/*.cpp
  ${PROJECT_SOURCE_DIR}/src/media/*.cpp
  ${PROJECT_SOURCE_DIR}/src/video/*.cpp)
add_library(wallcine_win STATIC ${WALLCINE_WIN_SOURCES})
target_include_directories(wallcine_win PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(wallcine_win PUBLIC wallcine_core ole32 oleaut32 uuid strmiids quartz winmm shell32 user32 gdi32 comctl32 ddraw comdlg32 advapi32)

file(GLOB WALLCINE_APP_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/app/*.cpp)
list(REMOVE_ITEM WALLCINE_APP_SOURCES ${PROJECT_SOURCE_DIR}/src/app/main.cpp)
add_library(wallcine_app STATIC ${WALLCINE_APP_SOURCES})
target_link_libraries(wallcine_app PUBLIC wallcine_win)

add_executable(Wallcine WIN32 src/app/main.cpp src/app/wallcine.rc)
target_link_libraries(Wallcine PRIVATE wallcine_app)

if(WALLCINE_TESTS)
  add_subdirectory(tests/win)
  add_subdirectory(tests/e2e)
endif()
