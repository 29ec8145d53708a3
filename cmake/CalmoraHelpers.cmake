# Compiler settings shared by the library, the programs, the tests and the benchmarks.
function(calmora_set_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
    if(CALMORA_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
    target_compile_definitions(${target} PRIVATE
        QT_NO_CAST_FROM_ASCII
        QT_NO_CAST_TO_ASCII
        QT_NO_CAST_FROM_BYTEARRAY
        QT_NO_URL_CAST_FROM_STRING
        QT_USE_QSTRINGBUILDER
        QT_NO_KEYWORDS)
endfunction()

if(CALMORA_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

# One line registers a test: calmora_add_test(name library source...). The
# test links the lowest library that has what it tests, and the shared test
# support (the fakes and the machine's own file system).
function(calmora_add_test name library)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE ${library} calmora_testsupport)
    calmora_set_warnings(${name})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_ASSUME_STDERR_HAS_CONSOLE=1"
        LABELS unit
        TIMEOUT 120)
endfunction()

# The key updates must be signed with is built into each program from a source
# of its own, src/app/updatekey.cpp.in: calmora_updatekey(target key) gives target one.
function(calmora_updatekey target key)
    set(CALMORA_KEY "${key}")
    set(source ${CMAKE_BINARY_DIR}/generated/${target}_updatekey.cpp)
    configure_file(${PROJECT_SOURCE_DIR}/src/app/updatekey.cpp.in ${source} @ONLY)
    target_sources(${target} PRIVATE ${source})
endfunction()
