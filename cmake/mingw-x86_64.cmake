# 64-bit Windows: the same Windows sources, for hosts whose kernel cannot run
# 32-bit programs, so that their tests still run under (64-bit) Wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
