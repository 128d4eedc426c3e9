# Every outside library the project uses, found once. Qt is linked only by
# src/platform (privately), so no other folder sees a Qt header.
find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets PrintSupport Test)
find_package(JPEG REQUIRED)
find_package(GIF REQUIRED)
find_package(CURL REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(RTMIDI REQUIRED IMPORTED_TARGET rtmidi)
pkg_check_modules(FLUIDSYNTH REQUIRED IMPORTED_TARGET fluidsynth)
# Asked before the toolkit starts whether the X server named by DISPLAY answers.
pkg_check_modules(XCB REQUIRED IMPORTED_TARGET xcb)
find_package(GTest REQUIRED)
find_package(benchmark QUIET)
find_package(Threads REQUIRED)
