# The window's browse worker: RunBrowse on a QThread, every sink call carried over to the
# user-interface thread.
add_library(tovalo_ftp STATIC
  ${CMAKE_CURRENT_LIST_DIR}/include/ftp/BrowseWorker.h
  ${CMAKE_CURRENT_LIST_DIR}/src/BrowseWorker.cpp)
target_include_directories(tovalo_ftp PUBLIC ${CMAKE_CURRENT_LIST_DIR}/include)
target_link_libraries(tovalo_ftp PUBLIC tovalo_ftp_core Qt6::Core)
