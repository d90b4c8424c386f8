# Makes the two faces of the context-help topics from shell/help/topics.txt:
# a C++ table for the "What's this?" pop-ups (help_topics.inc, rows of
# {number, "title", "text"}) and the help page context.html of quib.chm. Both
# come from the same lines, so the pop-ups and the help file never disagree.
#
#   quib_help_topics(SOURCE INC_FILE HTML_FILE)
function(quib_help_topics source inc_file html_file)
  file(READ ${source} content)
  # A semicolon would split CMake's list of lines: it travels as a token.
  string(REPLACE ";" "@SEMICOLON@" content "${content}")
  string(REPLACE "\r" "" content "${content}")
  string(REPLACE "\n" ";" lines "${content}")
  set(inc "// Generated from shell/help/topics.txt by shell/help/topics.cmake.\n")
  set(rows "")
  set(numbers "")
  foreach(line IN LISTS lines)
    if(line STREQUAL "" OR line MATCHES "^#")
      continue()
    endif()
    if(NOT line MATCHES "^([0-9]+)\\|([^|]+)\\|(.+)$")
      message(FATAL_ERROR "${source}: not number|title|text: ${line}")
    endif()
    set(number ${CMAKE_MATCH_1})
    set(title "${CMAKE_MATCH_2}")
    set(text "${CMAKE_MATCH_3}")
    if(number IN_LIST numbers)
      message(FATAL_ERROR "${source}: topic ${number} given twice")
    endif()
    list(APPEND numbers ${number})
    foreach(field title text)
      string(REPLACE "@SEMICOLON@" ";" ${field} "${${field}}")
      string(REPLACE "\\" "\\\\" c_${field} "${${field}}")
      string(REPLACE "\"" "\\\"" c_${field} "${c_${field}}")
      string(REPLACE "&" "&amp;" h_${field} "${${field}}")
      string(REPLACE "<" "&lt;" h_${field} "${h_${field}}")
      string(REPLACE ">" "&gt;" h_${field} "${h_${field}}")
      string(REPLACE "\"" "&quot;" h_${field} "${h_${field}}")
    endforeach()
    string(APPEND inc "{${number}, \"${c_title}\", \"${c_text}\"},\n")
    string(APPEND rows "<tr id=\"topic${number}\"><td>${h_title}</td><td>${h_text}</td></tr>\n")
  endforeach()
  file(CONFIGURE OUTPUT ${inc_file} CONTENT "${inc}" @ONLY)
  set(html "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">
<html>
<head>
<meta http-equiv=\"Content-Type\" content=\"text/html; charset=us-ascii\">
<title>Keys and controls one by one</title>
<link rel=\"stylesheet\" type=\"text/css\" href=\"quib.css\">
</head>
<body>
<h1>Keys and controls one by one</h1>
<p>What each key and control of the window does: the same texts that
\"What's this?\" shows when you right-click one.</p>
<table>
<tr><th>Key or control</th><th>What it does</th></tr>
${rows}</table>
<p class=\"nav\"><a href=\"index.html\">Using Quib</a></p>
</body>
</html>
")
  file(CONFIGURE OUTPUT ${html_file} CONTENT "${html}" @ONLY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
endfunction()
