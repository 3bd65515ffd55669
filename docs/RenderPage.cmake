# Renders one chapter of the manual: cmark-gfm turns the Markdown into HTML, links between
# chapters ("methods.md") become links between pages ("methods.html"), and the page is wrapped
# in the shared header (title, chapter list) and footer.
# Variables: CMARK, CHAPTER, SOURCE_DIR, TEMPLATE_DIR, CHAPTERS (list), VERSION, OUTPUT.

function(chapter_title file out)
  file(STRINGS ${file} first LIMIT_COUNT 1 REGEX "^# ")
  string(REGEX REPLACE "^# +" "" first "${first}")
  set(${out} "${first}" PARENT_SCOPE)
endfunction()

execute_process(
  COMMAND ${CMARK} --unsafe -e table --to html ${SOURCE_DIR}/${CHAPTER}.md
  OUTPUT_VARIABLE body
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cmark-gfm could not render ${CHAPTER}.md")
endif()
string(REGEX REPLACE "href=\"([a-z-]+)\\.md" "href=\"\\1.html" body "${body}")

chapter_title(${SOURCE_DIR}/${CHAPTER}.md TITLE)
set(NAVIGATION "")
foreach(other IN LISTS CHAPTERS)
  chapter_title(${SOURCE_DIR}/${other}.md name)
  if(other STREQUAL CHAPTER)
    string(APPEND NAVIGATION "<li class=\"here\">${name}</li>\n")
  else()
    string(APPEND NAVIGATION "<li><a href=\"${other}.html\">${name}</a></li>\n")
  endif()
endforeach()

file(READ ${TEMPLATE_DIR}/header.html header)
file(READ ${TEMPLATE_DIR}/footer.html footer)
string(CONFIGURE "${header}" header @ONLY)
string(CONFIGURE "${footer}" footer @ONLY)
file(WRITE ${OUTPUT} "${header}${body}${footer}")
