# The Windows product, its framework layer and the static runtime.

# Windows test programs run under Wine with the test display and prefix of this build folder.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_SOURCE_DIR}/scripts/wine-run.sh;${CMAKE_BINARY_DIR}")
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

if(MINGW)
  # Only system DLLs beside the exe: the C++ runtime and winpthread are linked in.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # Reproducible: no build folder in the objects, no link time in the PE header.
  add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=)
  add_link_options(-Wl,--no-insert-timestamp)
  # Small programs: no symbols in a release build (stripped by the linker; a later strip would
  # stamp the time into the file).
  add_link_options($<$<CONFIG:Release>:-s>)
  # Functions and data that nothing calls or reads are left out (cmake/re2.cmake builds RE2 so).
  add_compile_options(-ffunction-sections -fdata-sections)
  add_link_options(-Wl,--gc-sections)
  # Built for size: the program waits for events, and a scan of rules costs nanoseconds either
  # way. RE2's matchers keep their speed (cmake/re2.cmake).
  add_compile_options($<$<CONFIG:Release>:-Os>)
endif()

add_library(quellix_framework STATIC
  framework/win/App.cpp
  framework/win/Controls.cpp
  framework/win/Dialog.cpp
  framework/win/Wnd.cpp
)
target_link_libraries(quellix_framework PUBLIC quellix_core comctl32 ole32 oleaut32 shell32 user32 gdi32 advapi32)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(QUELLIX_MANIFEST_ARCH "amd64")
else()
  set(QUELLIX_MANIFEST_ARCH "x86")
endif()
if(QUELLIX_UIACCESS)
  set(QUELLIX_UIACCESS "true")
else()
  set(QUELLIX_UIACCESS "false")
endif()
configure_file(res/Quellix.manifest.in ${CMAKE_BINARY_DIR}/Quellix.manifest @ONLY)
file(WRITE ${CMAKE_BINARY_DIR}/Manifest.rc.in
  "#include <winuser.h>\nCREATEPROCESS_MANIFEST_RESOURCE_ID RT_MANIFEST \"${CMAKE_BINARY_DIR}/Quellix.manifest\"\n")
configure_file(${CMAKE_BINARY_DIR}/Manifest.rc.in ${CMAKE_BINARY_DIR}/Manifest.rc COPYONLY)

# The Win32 side shared by the GUI and quellix-rules: where the rule file lies, and reading a
# window's snapshot.
add_library(quellix_win STATIC
  rules/win/DataFilePath.cpp
  engine/win/Snapshot.cpp
  engine/win/DialogControls.cpp
)
target_link_libraries(quellix_win PUBLIC quellix_core shell32 user32)

# The application code, shared by the exe and the Windows tests that drive it in-process.
add_library(quellix_app STATIC
  engine/win/Watcher.cpp
  engine/win/Escalation.cpp
  engine/win/OpenWindows.cpp
  ui/win/QuellixDlg.cpp
  ui/win/HelpLinks.cpp
  ui/win/ListColumns.cpp
  ui/win/WindowList.cpp
  ui/win/TrayIcon.cpp
  ui/win/RuleEditorDlg.cpp
  ui/win/RuleList.cpp
  ui/win/RuleListFile.cpp
  ui/win/ActionLog.cpp
  ui/win/EndProgram.cpp
  ui/win/ApplyRules.cpp
  ui/win/ListKeys.cpp
  ui/win/Pause.cpp
  ui/win/Policies.cpp
  ui/win/HistoryDlg.cpp
)
target_link_libraries(quellix_app PUBLIC quellix_framework quellix_win uuid)

# Resources without the manifest, for test programs that show the dialogs in-process.
configure_file(res/QuellixVersion.h.in ${CMAKE_BINARY_DIR}/generated/QuellixVersion.h @ONLY)
set(QUELLIX_RC ${CMAKE_SOURCE_DIR}/res/Quellix.rc)
set_source_files_properties(${QUELLIX_RC} PROPERTIES OBJECT_DEPENDS
  "${CMAKE_SOURCE_DIR}/res/Quellix.ico;${CMAKE_SOURCE_DIR}/res/resource.h;${CMAKE_BINARY_DIR}/generated/QuellixVersion.h")
# Every program with these resources links the application code.
target_include_directories(quellix_app PUBLIC ${CMAKE_BINARY_DIR}/generated)
set_source_files_properties(${CMAKE_BINARY_DIR}/Manifest.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_BINARY_DIR}/Quellix.manifest")

add_executable(Quellix WIN32
  app/WinMain.cpp
  app/QuellixApp.cpp
  app/SingleInstance.cpp
  app/PortableMode.cpp
  ${QUELLIX_RC}
  ${CMAKE_BINARY_DIR}/Manifest.rc
)
target_link_libraries(Quellix PRIVATE quellix_app)
if(MINGW)
  target_link_options(Quellix PRIVATE -municode)
endif()

# Measurement programs of the Win32 code, run on demand under Wine, not by ctest:
#   scripts/wine-run.sh BUILD_DIR BUILD_DIR/bin/WindowListBench.exe [windows] [rounds]
#   scripts/wine-run.sh BUILD_DIR BUILD_DIR/bin/CloseLatency.exe [events] [rounds]
#   scripts/wine-run.sh BUILD_DIR BUILD_DIR/bin/IdleMessages.exe [seconds] [control | flood | flood-rule | flood-hook | flood-worst]
#   scripts/wine-run.sh BUILD_DIR BUILD_DIR/bin/RuleListPaintBench.exe [rules] [rounds]
#   scripts/wine-run.sh BUILD_DIR BUILD_DIR/bin/PressLatency.exe [boxes] [rounds]
foreach(name WindowListBench CloseLatency IdleMessages RuleListPaintBench PressLatency)
  add_executable(${name} bench/win/${name}.cpp ${QUELLIX_RC})
  target_link_libraries(${name} PRIVATE quellix_app quellix_winsupport)
endforeach()
# The watcher's latency against a program that only hooks (and, asked, reads the window) and posts
# or presses, and the targets they measure.
foreach(name BareCloser LatencyTarget BarePresser PressTarget)
  add_executable(${name} WIN32 bench/win/${name}.cpp)
  target_link_libraries(${name} PRIVATE quellix_warnings)
  if(MINGW)
    # Wide entry point: wWinMain.
    target_link_options(${name} PRIVATE -municode)
  endif()
endforeach()
target_link_libraries(BareCloser PRIVATE quellix_win)
add_dependencies(CloseLatency BareCloser LatencyTarget)
add_dependencies(IdleMessages LatencyTarget)
add_dependencies(PressLatency BarePresser PressTarget)
if(MINGW)
  # Wide entry point: wmain.
  target_link_options(WindowListBench PRIVATE -municode)
endif()
