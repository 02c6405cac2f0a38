# Resources embedded into the program (word list blob, sounds). korvel_embed_resources(target)
# attaches them to the Qt library.

# The word list blob "TEXT_DEMO": built from resources/wordlist/words.txt by a small generator
# at build time. KORVEL_TEXT_DEMO_BLOB is its path for tests and benchmarks, which depend on the
# target korvel_text_demo.
add_executable(text_demo_generator
  ${CMAKE_CURRENT_LIST_DIR}/text_demo_generator.cpp
  ${CMAKE_SOURCE_DIR}/dictionary/record_blob.cpp
)
target_include_directories(text_demo_generator PRIVATE ${CMAKE_SOURCE_DIR})

set(KORVEL_TEXT_DEMO_BLOB ${CMAKE_BINARY_DIR}/resources/TEXT_DEMO.bin)
add_custom_command(
  OUTPUT ${KORVEL_TEXT_DEMO_BLOB}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/resources
  COMMAND text_demo_generator ${CMAKE_CURRENT_LIST_DIR}/wordlist/words.txt ${KORVEL_TEXT_DEMO_BLOB}
  DEPENDS text_demo_generator ${CMAKE_CURRENT_LIST_DIR}/wordlist/words.txt
  COMMENT "Building the word list blob TEXT_DEMO"
  VERBATIM
)
add_custom_target(korvel_text_demo DEPENDS ${KORVEL_TEXT_DEMO_BLOB})

function(korvel_embed_resources target)
  # Readable in the program as ":/TEXT_DEMO".
  set_source_files_properties(${KORVEL_TEXT_DEMO_BLOB} PROPERTIES
    GENERATED TRUE QT_RESOURCE_ALIAS TEXT_DEMO)
  qt_add_resources(${target} "wordlist"
    PREFIX "/"
    BASE ${CMAKE_BINARY_DIR}/resources
    FILES ${KORVEL_TEXT_DEMO_BLOB}
  )
  add_dependencies(${target} korvel_text_demo)

  # Readable as ":/sounds/<name>.wav"; made by scripts/make-sounds.sh and committed. Listed by
  # name so that a missing file fails the build.
  set(sounds clear entered gameover goodword invalid newtiles pass pickupletter placeletter
    swapletter tick timeup turn turnnew default)
  foreach(n RANGE 1 20)
    list(APPEND sounds wave${n})
  endforeach()
  list(TRANSFORM sounds PREPEND ${CMAKE_SOURCE_DIR}/resources/sounds/)
  list(TRANSFORM sounds APPEND .wav)
  qt_add_resources(${target} "sounds"
    PREFIX "/sounds"
    BASE ${CMAKE_SOURCE_DIR}/resources/sounds
    FILES ${sounds}
  )

  # The lobby download dialog's picture, ":/pictures/download.jpg" and at twice the pixels
  # "download@2x.jpg" (drawn by korvel-download-banner), and the word list's licence, ":/wordlist/LICENSE", which the about
  # box shows.
  qt_add_resources(${target} "pictures"
    PREFIX "/pictures"
    BASE ${CMAKE_SOURCE_DIR}/resources/pictures
    FILES ${CMAKE_SOURCE_DIR}/resources/pictures/download.jpg
          ${CMAKE_SOURCE_DIR}/resources/pictures/download@2x.jpg
  )
  qt_add_resources(${target} "licences"
    PREFIX "/wordlist"
    BASE ${CMAKE_SOURCE_DIR}/resources/wordlist
    FILES ${CMAKE_SOURCE_DIR}/resources/wordlist/LICENSE
  )

  # The computer levels' data: ":/commonwords/words.txt" (Easy's common words) and
  # ":/commonwords/known.txt" (Normal's well-known words), both made by
  # scripts/make-commonwords.sh, and ":/leaves/leaves.txt" (Strong's leave table, made by
  # korvel-train-leaves).
  qt_add_resources(${target} "commonwords"
    PREFIX "/commonwords"
    BASE ${CMAKE_SOURCE_DIR}/resources/commonwords
    FILES ${CMAKE_SOURCE_DIR}/resources/commonwords/words.txt
      ${CMAKE_SOURCE_DIR}/resources/commonwords/known.txt
      ${CMAKE_SOURCE_DIR}/resources/commonwords/LICENSE
  )
  qt_add_resources(${target} "leaves"
    PREFIX "/leaves"
    BASE ${CMAKE_SOURCE_DIR}/resources/leaves
    FILES ${CMAKE_SOURCE_DIR}/resources/leaves/leaves.txt
  )
endfunction()
