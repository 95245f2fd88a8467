#Button glyphs as BMP files in memory.
target_sources(sorvak_resources PRIVATE ${CMAKE_CURRENT_LIST_DIR} /
               Glyphs.cpp ${CMAKE_CURRENT_LIST_DIR} / Glyphs.h)
