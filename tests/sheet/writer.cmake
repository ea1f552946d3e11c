# The workbook writer's tests: kept apart from the reader's files so each part reads alone.
vesk_add_tests(test_base sheet SOURCES WriterTest.cpp LIBS vesk_sheet PkgConfig::LIBZIP)
