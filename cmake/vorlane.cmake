# Helpers shared by every folder's CMakeLists.txt.

# Our own code builds with every warning on, as errors where CI asks for it;
# third-party headers come in as SYSTEM includes and are not held to that.
function(vorlane_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra $<$<BOOL:${VORLANE_WERROR}>:-Werror>)
endfunction()

# One static library per folder, from every .cpp in it (minus EXCLUDE).
function(vorlane_library name folder)
    cmake_parse_arguments(ARG "" "" "LINKS;EXCLUDE" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp)
    foreach(excluded IN LISTS ARG_EXCLUDE)
        list(REMOVE_ITEM sources ${folder}/${excluded})
    endforeach()
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_LINKS})
    vorlane_warnings(${name})
endfunction()

# One GoogleTest executable per test folder, from every *_test.cpp in it.
# Rendering tests run headless: SDL's offscreen driver gives an EGL context,
# and no test may open a sound card.
function(vorlane_tests name folder)
    cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${folder}/*_test.cpp)
    add_executable(${name} ${sources})
    target_link_libraries(${name} PRIVATE ${ARG_LINKS} GTest::gtest GTest::gtest_main)
    vorlane_warnings(${name})
    target_compile_definitions(${name} PRIVATE VORLANE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    gtest_discover_tests(${name}
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
        DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "SDL_VIDEODRIVER=offscreen;SDL_AUDIODRIVER=dummy")
endfunction()
