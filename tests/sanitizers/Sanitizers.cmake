# The sanitizer build (-DLUMEYE_SANITIZE=ON): the program and every test with
# AddressSanitizer and UndefinedBehaviorSanitizer. Any report ends the process
# with an error, so a test that meets one fails. `make test` runs this build
# after the normal one; with clang it also builds the fuzzers with libFuzzer.
if(NOT LUMEYE_SANITIZE)
    return()
endif()

set(LUMEYE_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_compile_options(${LUMEYE_SANITIZER_FLAGS})
# With clang, the code the fuzzers reach reports its coverage to them
# (tests/fuzz); elsewhere the hooks do nothing.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()
add_link_options(-fsanitize=address,undefined)

# The runtime settings are built into every executable (see defaults.cpp): as
# an object linked directly, so they replace the runtime's empty defaults.
add_library(lumeye_sanitizer_defaults OBJECT ${CMAKE_CURRENT_LIST_DIR}/defaults.cpp)
target_compile_definitions(lumeye_sanitizer_defaults PRIVATE
    LUMEYE_LSAN_SUPPRESSIONS="${CMAKE_CURRENT_LIST_DIR}/lsan.supp")
link_libraries(lumeye_sanitizer_defaults)
