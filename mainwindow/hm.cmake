target_sources(kelvor_gui PRIVATE
  hm.h hm.cpp hm_list.cpp hm_layout.cpp hm_view_stubs.cpp
  startupui.h startupui.cpp)
