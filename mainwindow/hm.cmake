target_sources(kelvor_gui PRIVATE
  hm.h hm.cpp hm_list.cpp hm_layout.cpp hm_view.cpp hm_panel.cpp
  startupui.h startupui.cpp)
