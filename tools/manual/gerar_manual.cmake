# Writes a manual page (roff) from a program's own help: the overview, then the help of each
# command the overview lists. -DPROGRAMA=... -DNOME=... -DSAIDA=... -DVERSAO=...
function(ajuda saida)
  execute_process(COMMAND ${PROGRAMA} ${ARGN} OUTPUT_VARIABLE texto ERROR_VARIABLE erro RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAMA} ${ARGN} falhou (${status}): ${erro}")
  endif()
  set(${saida} "${texto}" PARENT_SCOPE)
endfunction()

# A section of preformatted text: backslashes escaped, and every line starting with "\&" so that
# roff never reads one as a request.
function(secao titulo texto)
  string(REPLACE "\\" "\\e" texto "${texto}")
  string(REGEX REPLACE "\n$" "" texto "${texto}")
  string(REPLACE "\n" "\n\\&" texto "\\&${texto}\n")
  string(APPEND manual ".SH \"${titulo}\"\n.nf\n${texto}.fi\n")
  set(manual "${manual}" PARENT_SCOPE)
endfunction()

ajuda(geral --help)
string(TIMESTAMP hoje "%Y-%m-%d" UTC)
set(manual ".TH ${NOME} 1 \"${hoje}\" \"moxnfe ${VERSAO}\" \"Comandos do usuário\"\n.SH NOME\n${NOME}\n")
secao("AJUDA" "${geral}")

# Commands of the overview: indented lines under "Comandos:", one word or two before the summary.
string(REGEX MATCH "Comandos:\n.*" lista "${geral}")
string(REPLACE "\n" ";" linhas "${lista}")
foreach(linha IN LISTS linhas)
  if(linha MATCHES "^  ([a-z0-9-]+)( [a-z0-9-]+)?  +")
    set(comando ${CMAKE_MATCH_1})
    set(sub "")
    if(CMAKE_MATCH_2)
      string(STRIP "${CMAKE_MATCH_2}" sub)
    endif()
    ajuda(texto ${comando} ${sub} --help)
    string(STRIP "${comando} ${sub}" titulo)
    secao("${titulo}" "${texto}")
  endif()
endforeach()
string(APPEND manual ".SH \"VEJA TAMBÉM\"\n/usr/share/doc/moxnfe/README.md, /usr/share/doc/moxnfe/caminhos.md\n")
file(WRITE ${SAIDA} "${manual}")
