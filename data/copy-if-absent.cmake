# Copies each file of FROM into TO unless TO already has a file of that name.
file(GLOB shipped "${FROM}/*")
foreach(path IN LISTS shipped)
  get_filename_component(name "${path}" NAME)
  if(NOT EXISTS "${TO}/${name}")
    file(COPY "${path}" DESTINATION "${TO}")
  endif()
endforeach()
