# GIF writer, colour reduction and LZW encoder; giflib is the independent decoder.
sorvak_add_test(GifLzwTest SOURCES GifLzwTest.cpp GifDecode.h LIBS sorvak_imaging gif)
sorvak_add_test(GifTest SOURCES GifTest.cpp GifDecode.h LIBS sorvak_imaging gif)
