target_sources(kelvor_logic PRIVATE settings.h settings.cpp fraction.h fraction.cpp)
