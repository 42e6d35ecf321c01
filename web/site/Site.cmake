# The page as a site any static host serves as it is (cmake -P, after scry.html is linked):
# index.html is scry.html naming its manifest, icons and service worker, under the same policy
# of no request leaving the page's own origin; then the folder zipped for hosting.
# -D PAGE=scry.html SOURCE=web/site SITE=out/site ZIP=out/scry-web-VERSION.zip VERSION=x.y.z
file(READ ${PAGE} page)
set(generator "<meta name=\"generator\" content=\"scry ${VERSION}\">")
set(head "${generator}
<link rel=\"manifest\" href=\"manifest.webmanifest\">
<link rel=\"icon\" href=\"icon-192.png\">
<link rel=\"apple-touch-icon\" href=\"icon-192.png\">
<meta name=\"theme-color\" content=\"#1f3a5f\">
<meta name=\"mobile-web-app-capable\" content=\"yes\">
<meta name=\"apple-mobile-web-app-capable\" content=\"yes\">
<meta name=\"apple-mobile-web-app-title\" content=\"scry\">")
set(policy "default-src 'none'; connect-src data:;")
set(site_policy "default-src 'none'; connect-src data:; manifest-src 'self';")
string(FIND "${page}" "${generator}" at_generator)
string(FIND "${page}" "${policy}" at_policy)
string(FIND "${page}" "worker-src blob:\"" at_workers)
if(at_generator EQUAL -1 OR at_policy EQUAL -1 OR at_workers EQUAL -1)
  message(FATAL_ERROR "${PAGE} does not have the head the site's page is made from")
endif()
string(REPLACE "${generator}" "${head}" page "${page}")
string(REPLACE "${policy}" "${site_policy}" page "${page}")
string(REPLACE "img-src data:;" "img-src data: 'self';" page "${page}")
# Its service worker is the site's own file; the library's worker, as in scry.html, the page's script.
string(REPLACE "worker-src blob:\"" "worker-src 'self' blob:\"" page "${page}")
file(WRITE ${SITE}/index.html "${page}")

# The service worker's cache is named after this very page, so that a new page replaces it.
string(SHA256 stamp "${page}")
string(SUBSTRING ${stamp} 0 12 SITE_STAMP)
set(SCRY_VERSION ${VERSION})
configure_file(${SOURCE}/sw.js ${SITE}/sw.js @ONLY)
configure_file(${SOURCE}/manifest.webmanifest ${SITE}/manifest.webmanifest COPYONLY)

file(REMOVE ${ZIP})
file(GLOB site_files RELATIVE ${SITE} ${SITE}/*)
list(SORT site_files)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip --mtime=2026-01-01 -- ${site_files}
                WORKING_DIRECTORY ${SITE} RESULT_VARIABLE zipped)
if(NOT zipped EQUAL 0)
  message(FATAL_ERROR "${ZIP} could not be made")
endif()
