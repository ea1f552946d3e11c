# The Windows x86_64 build, cross-compiled with mingw-w64 against scripts/windows-sdk's
# libraries (cmake/windows-toolchain.cmake) and run under wine. All but Qt are static, so the
# programs carry them; Qt and the compiler's runtime are DLLs beside the programs.
if(NOT VESK_WINDOWS_SDK OR NOT EXISTS "${VESK_WINDOWS_SDK}/lib/libsqlcipher.a")
  message(FATAL_ERROR "VESK_WINDOWS_SDK must name a folder scripts/windows-sdk built (make windows-sdk)")
endif()

set(OPENSSL_USE_STATIC_LIBS TRUE)
set(OPENSSL_ROOT_DIR "${VESK_WINDOWS_SDK}")
list(PREPEND CMAKE_PREFIX_PATH "${VESK_WINDOWS_SDK}/qt6" "${VESK_WINDOWS_SDK}")
# Qt's build tools (moc, uic, rcc) are the host's own, the same version.
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)

# The toolchain's runtime DLLs, which the programs and Qt load.
set(VESK_MINGW_RUNTIME_DIRS /usr/lib/gcc/x86_64-w64-mingw32/12-posix /usr/x86_64-w64-mingw32/lib)
set(VESK_MINGW_RUNTIME "")
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  find_file(VESK_RUNTIME_${dll} ${dll} PATHS ${VESK_MINGW_RUNTIME_DIRS} NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT VESK_RUNTIME_${dll})
    message(FATAL_ERROR "${dll} not found in ${VESK_MINGW_RUNTIME_DIRS}")
  endif()
  list(APPEND VESK_MINGW_RUNTIME ${VESK_RUNTIME_${dll}})
endforeach()

# The window tests run on Qt's offscreen platform, which on Windows reads its fonts from one
# folder (QT_QPA_FONTDIR) rather than from the system: it gets the very font files the Linux
# build's tests lay their forms out with.
set(VESK_TEST_FONTS ${CMAKE_BINARY_DIR}/fonts)
file(GLOB VESK_TEST_FONT_FILES /usr/share/fonts/truetype/dejavu/*.ttf /usr/share/fonts/truetype/crosextra/*.ttf
  /usr/share/fonts/opentype/urw-base35/*.otf)
file(MAKE_DIRECTORY ${VESK_TEST_FONTS})
foreach(font ${VESK_TEST_FONT_FILES})
  get_filename_component(name ${font} NAME)
  file(CREATE_LINK ${font} ${VESK_TEST_FONTS}/${name} SYMBOLIC)
endforeach()

# Tests and the test listing run under wine through this wrapper: a wine prefix of the build's
# own, quiet, with Qt's and the runtime's DLLs on the program's path.
set(VESK_WINE_PREFIX "${CMAKE_BINARY_DIR}/wine")
set(VESK_WINE_DLL_PATH "${VESK_WINDOWS_SDK}/qt6/bin")
foreach(dir ${VESK_MINGW_RUNTIME_DIRS})
  string(APPEND VESK_WINE_DLL_PATH ";${dir}")
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)

# A Unix path handed to a program under wine resolves through the drive Z:, which is the root.
set(VESK_HOST_PATH_PREFIX "Z:")

# vesk_windows_resources(target description): the program's icon, its manifest (UTF-8 as the
# narrow API's code page) and its version, in the executable's resources.
function(vesk_windows_resources target description)
  set(VESK_EXE_NAME ${target})
  set(VESK_EXE_DESCRIPTION "${description}")
  set(VESK_ICON "${PROJECT_SOURCE_DIR}/packaging/windows/vesk-orv.ico")
  set(VESK_MANIFEST "${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest")
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/vesk-orv.manifest.in ${VESK_MANIFEST} @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/vesk-orv.rc.in ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  set_property(SOURCE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc APPEND PROPERTY OBJECT_DEPENDS
    ${VESK_ICON} ${VESK_MANIFEST})
endfunction()
