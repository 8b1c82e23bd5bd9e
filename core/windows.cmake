target_sources(kelvor_gui PRIVATE
  warten.h warten.cpp
  ende.h ende.cpp
  finddir.h finddir.cpp)
