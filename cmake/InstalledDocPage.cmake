# Run as a script: copies one page of docs/ (PAGE) to OUT for the installed
# documentation folder, where the pages and pictures of docs/ sit side by
# side and nothing else of the source tree is. A link out of docs/ (the
# README, the packaging notes) or to development.md, which is about the
# source, keeps its text and loses its target.
file(READ ${PAGE} text)
string(REGEX REPLACE "\\[([^]\n]*)\\]\\((\\.\\./|development\\.md)[^)\n]*\\)" "\\1" text "${text}")
file(WRITE ${OUT} "${text}")
