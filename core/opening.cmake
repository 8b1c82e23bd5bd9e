target_sources(kelvor_logic PRIVATE
  mainmod.h mainmod.cpp
  cookbookdb.h cookbookdb.cpp
  schema.h schema.cpp
  indizieren.h indizieren.cpp
  rezsource.h rezsource.cpp)
