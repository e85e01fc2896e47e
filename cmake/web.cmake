# The page: the same program built for WebAssembly with Debian's emscripten, in one HTML file
# that works opened from the disk. The page's glue (src/web/page.html.in) calls the program's
# main on the list written into the in-memory file system.
# The project's small sample list rides in the page, for trying it at once, and so do the
# finder's tables: the prefectures and the designated cities' wards, and the kanji's variants.
file(READ ${PROJECT_SOURCE_DIR}/data/sample-area.json PARCELO_SAMPLE)
file(READ ${PROJECT_SOURCE_DIR}/data/places.json PARCELO_PLACES)
file(READ ${PROJECT_SOURCE_DIR}/data/kanji-variants.json PARCELO_KANJI_VARIANTS)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/data/sample-area.json ${PROJECT_SOURCE_DIR}/data/places.json
  ${PROJECT_SOURCE_DIR}/data/kanji-variants.json)
configure_file(src/web/page.html.in ${CMAKE_BINARY_DIR}/page.html @ONLY)
set_target_properties(parcelo PROPERTIES
  OUTPUT_NAME parcelo-${PROJECT_VERSION}
  SUFFIX .html
  LINK_DEPENDS ${CMAKE_BINARY_DIR}/page.html)
target_link_options(parcelo PRIVATE
  "SHELL:--shell-file ${CMAKE_BINARY_DIR}/page.html"
  -sSINGLE_FILE=1           # the WebAssembly inside the page: nothing to fetch
  -sENVIRONMENT=web
  -sMODULARIZE=1            # a fresh instance for every run
  -sEXPORT_NAME=createParcelo
  -sINVOKE_RUN=0
  -sEXIT_RUNTIME=1
  "-sEXPORTED_RUNTIME_METHODS=[callMain,FS]"
  # Memory grows up to a ceiling; past it the program says it has run out, as on a console.
  -sALLOW_MEMORY_GROWTH=1
  -sMAXIMUM_MEMORY=512MB
  -sMINIFY_HTML=0)          # the page stays readable (and Debian's htmlmin call fails)
