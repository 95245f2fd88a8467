# The clipboard bitmap and the BMP, PNG and JPEG writers, each checked by an
# independent reader (a plain BMP parse, libpng, libjpeg).
find_package(PNG REQUIRED)
sorvak_add_test(imaging_bitmap_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/BitmapTest.cpp
    LIBS sorvak_imaging)
sorvak_add_test(imaging_writer_bytes_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/WriterBytesTest.cpp
    LIBS sorvak_imaging ZLIB::ZLIB)
sorvak_add_test(imaging_png_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/PngTest.cpp
    LIBS sorvak_imaging PNG::PNG ZLIB::ZLIB)
sorvak_add_test(imaging_jpeg_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/JpegTest.cpp
    LIBS sorvak_imaging JPEG::JPEG)
sorvak_add_test(imaging_writer_large_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/WriterLargeTest.cpp
    LIBS sorvak_imaging LABELS slow)
sorvak_add_test(imaging_bench_images_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/BenchImagesTest.cpp
    LIBS sorvak_bench_images)
