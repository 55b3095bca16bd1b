# Run by `cmake --install`: writes the desktop entry for the prefix being
# installed to, so that its Exec line starts this very program wherever it went.
# In: SOURCE, OUTPUT, QCM_APP_ID, CMAKE_INSTALL_PREFIX.
set(program "${CMAKE_INSTALL_PREFIX}/bin/qcm")
if(program MATCHES "[\n\r\t]")
  message(FATAL_ERROR "Préfixe d'installation inutilisable dans une entrée de bureau : ${CMAKE_INSTALL_PREFIX}")
endif()

# TryExec is a plain string value: only the backslash is escaped.
string(REPLACE "\\" "\\\\" QCM_TRYEXEC "${program}")

# Exec is an argument list: an unusual path is quoted, with " ` $ \ escaped
# inside the quotes and % doubled, then the whole is escaped as a string value.
if(program MATCHES "^[A-Za-z0-9/._+-]+$")
  set(QCM_EXEC "${program}")
else()
  string(REGEX REPLACE "([\"`$\\])" "\\\\\\1" quoted "${program}")
  string(REPLACE "%" "%%" quoted "${quoted}")
  string(REPLACE "\\" "\\\\" quoted "${quoted}")
  set(QCM_EXEC "\"${quoted}\"")
endif()

configure_file("${SOURCE}" "${OUTPUT}" @ONLY)
