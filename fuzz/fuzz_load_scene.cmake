# load_scene under libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer.
# Only the reader's own sources are compiled in, not the whole core library.
set(_scene_fuzz_flags -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
file(GLOB _scene_reader_sources CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/src/assets/scene_reader*.cpp)
add_executable(fuzz_load_scene
  ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_load_scene.cpp
  ${_scene_reader_sources}
  ${PROJECT_SOURCE_DIR}/src/assets/keyframer.cpp
  ${PROJECT_SOURCE_DIR}/src/assets/files.cpp
  ${PROJECT_SOURCE_DIR}/src/engine/math3d.cpp)
target_include_directories(fuzz_load_scene PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_compile_options(fuzz_load_scene PRIVATE ${_scene_fuzz_flags})
target_link_options(fuzz_load_scene PRIVATE ${_scene_fuzz_flags})
valkron_warnings(fuzz_load_scene)
