# Renders one page of the manual: pandoc turns the Markdown into HTML with an id on every heading
# (the ids GitHub shows for the same file), links between chapters ("methods.md") become links
# between pages ("methods.html"), links to the man pages' sources ("../man/tracelux-cli.1.md")
# links to their pages, and the page is wrapped in the shared header (title, chapter list) and
# footer.
# Variables: PANDOC, SOURCE (the Markdown file), FORMAT (pandoc's input format), TEMPLATE_DIR, PAGES (list of name=title, the navigation), PAGE (this page's name), VERSION,
# OUTPUT.

execute_process(
  COMMAND ${PANDOC} --from=${FORMAT} --to=html5 --wrap=preserve ${SOURCE}
  OUTPUT_VARIABLE body
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "pandoc could not render ${SOURCE}")
endif()
string(REGEX REPLACE "href=\"(\\.\\./man/)?([a-z0-9.-]+)\\.md" "href=\"\\2.html" body "${body}")

set(NAVIGATION "")
foreach(entry IN LISTS PAGES)
  string(REGEX REPLACE "=.*" "" name "${entry}")
  string(REGEX REPLACE "^[^=]*=" "" caption "${entry}")
  if(name STREQUAL PAGE)
    set(TITLE "${caption}")
    string(APPEND NAVIGATION "<li class=\"here\">${caption}</li>\n")
  else()
    string(APPEND NAVIGATION "<li><a href=\"${name}.html\">${caption}</a></li>\n")
  endif()
endforeach()

file(READ ${TEMPLATE_DIR}/header.html header)
file(READ ${TEMPLATE_DIR}/footer.html footer)
string(CONFIGURE "${header}" header @ONLY)
string(CONFIGURE "${footer}" footer @ONLY)
file(WRITE ${OUTPUT} "${header}${body}${footer}")
