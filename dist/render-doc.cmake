# Renders one Markdown file as a standalone HTML page.
#   -DCMARK=cmark-gfm -DIN=x.md -DOUT=x.html -DTITLE=... [-DBASE=dir/] [-DLINKS_TO_HTML=ON]
# BASE: the folder relative links resolve against (the source tree, for the page
# used from the build tree). LINKS_TO_HTML: links to .md pages point at their .html.
execute_process(COMMAND ${CMARK} -e table -e autolink -e strikethrough ${IN}
  OUTPUT_VARIABLE body RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmark-gfm failed on ${IN}")
endif()
if(LINKS_TO_HTML)
  string(REGEX REPLACE "href=\"([^\":]+)\\.md\"" "href=\"\\1.html\"" body "${body}")
endif()
set(base "")
if(BASE)
  set(base "<base href=\"file://${BASE}\">\n")
endif()
file(WRITE ${OUT} "<!DOCTYPE html>
<html lang=\"ja\">
<head>
<meta charset=\"utf-8\">
${base}<title>${TITLE}</title>
<style>
body { font-family: sans-serif; max-width: 60em; margin: 2em auto; padding: 0 1em; line-height: 1.5; }
img { max-width: 100%; }
table { border-collapse: collapse; }
th, td { border: 1px solid #999; padding: 0.2em 0.6em; }
code, pre { background: #f2f2f2; }
pre { padding: 0.6em; overflow-x: auto; }
</style>
</head>
<body>
${body}</body>
</html>
")
