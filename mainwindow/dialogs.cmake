target_sources(kelvor_gui PRIVATE about.h about.cpp)
