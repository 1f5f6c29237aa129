# bash completion for qdm, the command-line twin of the QDM editor mked.
# Installed as share/bash-completion/completions/qdm; the words come from `qdm help COMMAND`.

_qdm_files() {
    if declare -F _filedir >/dev/null; then
        _filedir "$@"
    else
        local IFS=$'\n'
        COMPREPLY+=($(compgen -f -- "$cur"))
    fi
}

_qdm() {
    local cur prev words cword
    if declare -F _init_completion >/dev/null; then
        _init_completion -n = || return
    else
        cur="${COMP_WORDS[COMP_CWORD]}" prev="${COMP_WORDS[COMP_CWORD-1]}"
        words=("${COMP_WORDS[@]}") cword=$COMP_CWORD
    fi
    local commands="auto check dict enclosing find help import insert number polyphone readings"
    if ((cword == 1)); then
        COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
        return
    fi
    local command="${words[1]}" opts=""
    case "$prev" in
        --from)
            COMPREPLY=($(compgen -W "auto gbk utf-8 utf-16 gb18030 big5" -- "$cur"))
            return ;;
        --style)
            COMPREPLY=($(compgen -W "homophone pinyin" -- "$cur"))
            return ;;
        --sel | --substitute)
            return ;;
        --dict | -o | --output)
            _qdm_files
            return ;;
    esac
    case "$command" in
        help)
            ((cword == 2)) && COMPREPLY=($(compgen -W "$commands" -- "$cur"))
            return ;;
        auto) opts="--from -o --json" ;;
        check) opts="--all --json" ;;
        number) opts="-o -i" ;;
        enclosing) opts="--json" ;;
        find) opts="--json --count -i -w" ;;
        import) opts="--from --substitute --keep-newlines --t2s --json -o -i" ;;
        polyphone) opts="--dict --json --dry-run -o --audit --smart --style" ;;
        readings) opts="--json --changed --from" ;;
        insert)
            opts="--sel -o -i --json"
            if ((cword == 2)) && [[ $cur != -* ]]; then
                COMPREPLY=($(compgen -W "section reverse readernote authornote trans emph" -- "$cur"))
                return
            fi ;;
        dict)
            _qdm_dict
            return ;;
        *) return ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$opts" -- "$cur"))
    else
        _qdm_files
    fi
}

# qdm dict [--dict FILE] SUBCOMMAND ...: the subcommand is the first word that is no option.
_qdm_dict() {
    local i sub=""
    for ((i = 2; i < cword; i++)); do
        case "${words[i]}" in
            --dict) ((i++)) ;;
            --dict=* | -*) ;;
            *) sub="${words[i]}"; break ;;
        esac
    done
    case "$sub" in
        "")
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "--dict" -- "$cur"))
            else
                COMPREPLY=($(compgen -W "list add remove count import export lint" -- "$cur"))
            fi ;;
        import)
            if [[ $cur == -* ]]; then
                COMPREPLY=($(compgen -W "--starter --style" -- "$cur"))
            else
                _qdm_files
            fi ;;
        export) COMPREPLY=($(compgen -W "-o --utf8" -- "$cur")) ;;
        lint) COMPREPLY=($(compgen -W "--json" -- "$cur")) ;;
    esac
}

complete -F _qdm qdm
