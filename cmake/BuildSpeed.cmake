# Build time on small machines: precompiled headers shared by the targets that compile
# with the same flags, and unity builds where the sources allow them. Included at the end
# of the top-level CMakeLists.txt, once every target exists.
#
# A precompiled header only helps where the consumer's flags match the producer's; GCC
# silently falls back to the plain headers otherwise, so a mismatch costs time, never
# correctness. Hence one producer per kind of target:
#   the program's layers (static libraries)  <- orbelle_platform
#   the Qt test executables                  <- orbelle_pch_guitest (nothing but the header)
#   Kestrup's test executables (no Qt)       <- orbelle_pch_nettest

set(ORBELLE_PCH_STD <algorithm> <cmath> <cstdint> <cstring> <functional> <memory> <optional>
    <string> <vector>)
set(ORBELLE_PCH_QT <QApplication> <QByteArray> <QComboBox> <QDir> <QFile> <QFileInfo>
    <QImage> <QKeyEvent> <QLabel> <QListWidget> <QMouseEvent> <QPainter> <QPixmap>
    <QScrollBar> <QString> <QTimer> <QWidget>)

# All targets defined in a folder and below it.
function(orbelle_targets_below dir out)
  get_property(t DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(s ${subs})
    orbelle_targets_below(${s} more)
    list(APPEND t ${more})
  endforeach()
  set(${out} ${t} PARENT_SCOPE)
endfunction()

function(orbelle_link_has target lib out)
  get_target_property(libs ${target} LINK_LIBRARIES)
  if(libs AND lib IN_LIST libs)
    set(${out} TRUE PARENT_SCOPE)
  else()
    set(${out} FALSE PARENT_SCOPE)
  endif()
endfunction()

if(ORBELLE_BUILD_PROGRAM)
  target_precompile_headers(orbelle_platform PRIVATE ${ORBELLE_PCH_STD} ${ORBELLE_PCH_QT})
  foreach(t orbelle_library orbelle_paint orbelle_shell)
    target_precompile_headers(${t} REUSE_FROM orbelle_platform)
  endforeach()
endif()

if(ORBELLE_BUILD_TESTS)
  # The producers compile nothing but the header and an empty main of their own.
  foreach(k guitest nettest)
    file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/pch/${k}.cpp CONTENT "int main() { return 0; }\n")
  endforeach()
  orbelle_targets_below(${CMAKE_SOURCE_DIR}/tests _tests)

  if(ORBELLE_BUILD_PROGRAM)
    # Linked like the suites made by orbelle_add_gui_test, so the flags match.
    add_executable(orbelle_pch_guitest EXCLUDE_FROM_ALL ${CMAKE_BINARY_DIR}/pch/guitest.cpp)
    set_target_properties(orbelle_pch_guitest PROPERTIES AUTOMOC OFF)
    target_link_libraries(orbelle_pch_guitest PRIVATE Qt6::Widgets Qt6::PrintSupport
                          GTest::gtest GTest::gmock)
    target_precompile_headers(orbelle_pch_guitest PRIVATE ${ORBELLE_PCH_STD} ${ORBELLE_PCH_QT}
                              <QProcess> <QTemporaryDir> <gtest/gtest.h> <gmock/gmock.h>)
  endif()
  add_executable(orbelle_pch_nettest EXCLUDE_FROM_ALL ${CMAKE_BINARY_DIR}/pch/nettest.cpp)
  set_target_properties(orbelle_pch_nettest PROPERTIES AUTOMOC OFF)
  target_link_libraries(orbelle_pch_nettest PRIVATE GTest::gtest)
  target_precompile_headers(orbelle_pch_nettest PRIVATE ${ORBELLE_PCH_STD} <chrono> <thread>
                            <gtest/gtest.h>)

  foreach(t ${_tests})
    get_target_property(type ${t} TYPE)
    if(NOT type STREQUAL "EXECUTABLE" OR t MATCHES "^orbelle_pch_")
      continue()
    endif()
    orbelle_link_has(${t} Qt6::Test gui)
    orbelle_link_has(${t} GTest::gtest gtest)
    if(gui AND TARGET orbelle_pch_guitest)
      target_precompile_headers(${t} REUSE_FROM orbelle_pch_guitest)
    elseif(gtest)
      target_precompile_headers(${t} REUSE_FROM orbelle_pch_nettest)
    endif()
  endforeach()
endif()

# The benchmarks are outside "all"; one target builds them all.
if(ORBELLE_BUILD_BENCH)
  orbelle_targets_below(${CMAKE_SOURCE_DIR}/bench _bench)
  add_custom_target(benchmarks)
  foreach(t ${_bench})
    get_target_property(type ${t} TYPE)
    if(type STREQUAL "EXECUTABLE")
      add_dependencies(benchmarks ${t})
    endif()
  endforeach()
endif()

# Unity builds: a few files compiled as one, so the headers' inline code and templates are
# instantiated once per batch rather than once per file. Files that clash when combined
# (same helper names in anonymous namespaces) can be kept out with the source property
# SKIP_UNITY_BUILD_INCLUSION; -DORBELLE_UNITY_BUILD=OFF compiles every file on its own.
option(ORBELLE_UNITY_BUILD "Compile the suites and the platform layer in batches" ON)
if(ORBELLE_UNITY_BUILD)
  set(_unity)
  # Of the program's layers only platform: library, paint and shell have helpers of the
  # same name in more than one file, so whether they build would depend on which files
  # happen to fall into one batch.
  if(ORBELLE_BUILD_PROGRAM)
    list(APPEND _unity orbelle_platform)
  endif()
  if(ORBELLE_BUILD_TESTS)
    foreach(t ${_tests})
      get_target_property(type ${t} TYPE)
      if(type STREQUAL "EXECUTABLE" AND NOT t MATCHES "^orbelle_pch_")
        list(APPEND _unity ${t})
      endif()
    endforeach()
  endif()
  if(_unity)
    set_target_properties(${_unity} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 4)
  endif()
endif()
