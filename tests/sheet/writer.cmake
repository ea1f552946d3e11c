# The workbook writer's tests: kept apart from the reader's so each part builds alone.
vesk_add_test(test_writer SOURCES WriterTest.cpp SecondAxisTest.cpp LIBS vesk_sheet PkgConfig::LIBZIP LABELS sheet)
