# The browser's site in build-web/site: the show as WebAssembly, the page
# that is its setup dialog, and the font files the desktop build finds
# through fontconfig, with their licences. It loads nothing from elsewhere.
set(site ${PROJECT_BINARY_DIR}/site)
set(page ${PROJECT_SOURCE_DIR}/platform/web)

add_executable(vorlane_web ${PROJECT_SOURCE_DIR}/driver/main_web.cpp)
target_include_directories(vorlane_web PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/generated)
target_link_libraries(vorlane_web PRIVATE vorlane_driver)
vorlane_warnings(vorlane_web)
set_target_properties(vorlane_web PROPERTIES OUTPUT_NAME vorlane SUFFIX .js RUNTIME_OUTPUT_DIRECTORY ${site})
target_link_options(vorlane_web PRIVATE
    -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2 -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=64MB
    -sENVIRONMENT=web -sEXIT_RUNTIME=0
    -sEXPORTED_FUNCTIONS=_main,_malloc,_vorlane_play,_vorlane_render_at,_vorlane_audio
    -sEXPORTED_RUNTIME_METHODS=HEAPU8,HEAPF32)

# Debian's font packages (fonts-liberation, fonts-lato, fonts-dejavu-core).
set(fonts
    /usr/share/fonts/truetype/liberation/LiberationMono-Bold.ttf
    /usr/share/fonts/truetype/liberation/LiberationSerif-Bold.ttf
    /usr/share/fonts/truetype/lato/Lato-Black.ttf
    /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf)
set(site_files ${site}/index.html ${site}/page.js ${site}/page.css ${site}/fonts/README)
foreach(file index.html page.js page.css)
    add_custom_command(OUTPUT ${site}/${file}
        COMMAND ${CMAKE_COMMAND} -E copy ${page}/${file} ${site}/${file}
        DEPENDS ${page}/${file})
endforeach()
add_custom_command(OUTPUT ${site}/fonts/README
    COMMAND ${CMAKE_COMMAND} -E copy ${page}/fonts_README ${site}/fonts/README
    DEPENDS ${page}/fonts_README)
foreach(font IN LISTS fonts)
    get_filename_component(name ${font} NAME)
    add_custom_command(OUTPUT ${site}/fonts/${name}
        COMMAND ${CMAKE_COMMAND} -E copy ${font} ${site}/fonts/${name}
        DEPENDS ${font})
    list(APPEND site_files ${site}/fonts/${name})
endforeach()
foreach(package fonts-liberation fonts-lato fonts-dejavu-core)
    add_custom_command(OUTPUT ${site}/fonts/${package}.copyright
        COMMAND ${CMAKE_COMMAND} -E copy /usr/share/doc/${package}/copyright ${site}/fonts/${package}.copyright
        DEPENDS /usr/share/doc/${package}/copyright)
    list(APPEND site_files ${site}/fonts/${package}.copyright)
endforeach()
add_custom_target(site ALL DEPENDS ${site_files})
