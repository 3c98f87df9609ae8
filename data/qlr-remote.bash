# bash completion of qlr-remote: its commands, and the files, options,
# protocols and buttons they take. The commands and protocols are read from
# the program's own help, so that they follow it.

_qlr_remote_help_list()
{
    # The first word of each line of the listing under HEADING in the help's text.
    "$1" "${@:3}" --help 2>/dev/null | sed -n "/$2\$/,/^\$/s/^  \([^ ]*\).*/\1/p"
}

_qlr_remote()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local program=${COMP_WORDS[0]} command="" arguments=() i
    local IFS=$'\n'
    COMPREPLY=()
    # The command is the first word that is neither an option nor the socket's path.
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
        --socket) ((i++)) ;;
        -*) ;;
        *)
            if [ -z "$command" ]; then
                command=${COMP_WORDS[i]}
            else
                arguments+=("${COMP_WORDS[i]}")
            fi
            ;;
        esac
    done

    case $prev in
    --socket | --image)
        compopt -o filenames 2>/dev/null
        COMPREPLY=($(compgen -f -- "$cur"))
        return
        ;;
    esac
    if [ -z "$command" ]; then
        COMPREPLY=($(compgen -W "$(_qlr_remote_help_list "$program" "The commands:")"$'\n--socket\n--help' -- "$cur"))
        return
    fi
    case $command in
    press)
        case $prev in
        --protocol)
            COMPREPLY=($(compgen -W "$(_qlr_remote_help_list "$program" "Protocols and their fields.*:" press)" -- "$cur"))
            ;;
        --button)
            # The buttons of the .ir file given before.
            local file
            for file in "${arguments[@]}"; do
                [ -f "$file" ] && COMPREPLY=($(compgen -W "$(sed -n 's/^name: *//p' "$file")" -- "$cur"))
            done
            ;;
        --pronto | --fields) ;;
        *)
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W $'--button\n--pronto\n--protocol\n--fields\n--help' -- "$cur"))
            else
                compopt -o filenames 2>/dev/null
                COMPREPLY=($(compgen -f -- "$cur"))
            fi
            ;;
        esac
        ;;
    roundtrip)
        compopt -o filenames 2>/dev/null
        COMPREPLY=($(compgen -f -- "$cur"))
        ;;
    serve) COMPREPLY=($(compgen -W $'--socket\n--image' -- "$cur")) ;;
    help) [ ${#arguments[@]} -eq 0 ] && COMPREPLY=($(compgen -W "$(_qlr_remote_help_list "$program" "The commands:")" -- "$cur")) ;;
    identity) [ ${#arguments[@]} -eq 0 ] && COMPREPLY=($(compgen -W $'other\noriginal' -- "$cur")) ;;
    send) [ ${#arguments[@]} -eq 0 ] && COMPREPLY=($(compgen -W $'TV\nCBL\nSAT\nDVD\nVCR\nCD\nAMP\nAUX' -- "$cur")) ;;
    esac
}
complete -F _qlr_remote qlr-remote
