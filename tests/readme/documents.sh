# Sourced by the README checks: the documents named on their command line, a
# folder standing for the *.md files in it, into the array "documents".
documents=()
for given in "$@"; do
    if [ -d "$given" ]; then
        documents+=("$given"/*.md)
    else
        documents+=("$given")
    fi
done
