<?php
/*
 * Tillbox: shared helpers of the shop's server scripts (couponChecker.php,
 * orderMailer.php). Included with require_once __DIR__ . '/json.php'.
 *
 * Including this file hardens the request: PHP errors are logged, never
 * shown (a warning in a JSON answer would break the cart and could reveal
 * server paths), and everything printed before json_response() is dropped.
 * Works on PHP 7.0 and later.
 */

if (defined('TILLBOX_JSON_HELPERS')) {
    return;
}
define('TILLBOX_JSON_HELPERS', true);

// Set before anything else can fail. Parse errors of the calling script
// itself happen before this line; the scripts are shipped tested.
@ini_set('display_errors', '0');
@ini_set('display_startup_errors', '0');
@ini_set('html_errors', '0');
@ini_set('log_errors', '1');
error_reporting(E_ALL);

// Stray output (a warning that slipped through, whitespace after the closing
// tag of an included file) would otherwise go out before the JSON headers.
ob_start();

// Largest JSON body read; form bodies are bounded by post_max_size.
const TILLBOX_MAX_BODY_BYTES = 1048576;

/*
 * Sends $data as the JSON answer with HTTP status $status and ends the
 * request. Whatever was printed before is discarded.
 */
function json_response($data, $status = 200)
{
    tillbox_emit_json($data, $status);
    exit;
}

function tillbox_emit_json($data, $status)
{
    while (ob_get_level() > 0) {
        ob_end_clean();
    }
    $flags = JSON_UNESCAPED_UNICODE | JSON_UNESCAPED_SLASHES | JSON_HEX_TAG | JSON_HEX_AMP
        | JSON_PARTIAL_OUTPUT_ON_ERROR;
    if (defined('JSON_INVALID_UTF8_SUBSTITUTE')) {
        $flags |= JSON_INVALID_UTF8_SUBSTITUTE;
    }
    $body = json_encode($data, $flags);
    if (!is_string($body)) {
        $status = 500;
        $body = '{"ok":false,"error":"The answer could not be encoded."}';
    }
    if (!headers_sent()) {
        http_response_code((int)$status);
        header('Content-Type: application/json; charset=utf-8');
        header('Cache-Control: no-store');
        header('X-Content-Type-Options: nosniff');
    }
    echo $body;
}

/*
 * A fatal error (out of memory, a missing extension) still answers with JSON
 * instead of an empty or half-written page. $tillboxFatalBody is set by the
 * calling script to the shape its clients expect.
 */
$GLOBALS['tillboxFatalBody'] = array('ok' => false, 'error' => 'The server could not handle the request.');
register_shutdown_function(function () {
    $error = error_get_last();
    $fatal = E_ERROR | E_PARSE | E_CORE_ERROR | E_COMPILE_ERROR | E_USER_ERROR | E_RECOVERABLE_ERROR;
    if ($error !== null && ($error['type'] & $fatal) !== 0) {
        tillbox_emit_json($GLOBALS['tillboxFatalBody'], 500);
    }
});

/*
 * Ends the request with 405 unless it is a POST. $body is the JSON answer to
 * give (each script answers in its own shape).
 */
function json_require_post($body)
{
    $method = isset($_SERVER['REQUEST_METHOD']) ? strtoupper((string)$_SERVER['REQUEST_METHOD']) : '';
    if ($method !== 'POST') {
        if (!headers_sent()) {
            header('Allow: POST');
        }
        json_response($body, 405);
    }
}

/*
 * The request's fields as an array: the decoded object of a JSON body
 * (Content-Type application/json), otherwise the form fields ($_POST, which
 * also covers multipart bodies). Returns null for a JSON body that is too
 * large, is not valid JSON or is not an object.
 */
function json_request_data()
{
    $type = isset($_SERVER['CONTENT_TYPE']) ? strtolower((string)$_SERVER['CONTENT_TYPE']) : '';
    if (strpos($type, 'application/json') !== 0) {
        return is_array($_POST) ? $_POST : array();
    }
    $raw = file_get_contents('php://input', false, null, 0, TILLBOX_MAX_BODY_BYTES + 1);
    if (!is_string($raw) || strlen($raw) > TILLBOX_MAX_BODY_BYTES) {
        return null;
    }
    $data = json_decode($raw, true, 16);
    return is_array($data) ? $data : null;
}

/*
 * A scalar request value as text; null for arrays and objects, so that a
 * field sent as "name[]" cannot pass for text.
 */
function json_text($value)
{
    if ($value === null) {
        return '';
    }
    if (is_string($value)) {
        return $value;
    }
    if (is_bool($value)) {
        return $value ? 'true' : 'false';
    }
    if (is_int($value) || is_float($value)) {
        return (string)$value;
    }
    return null;
}

/* True when $text is valid UTF-8 (works without the mbstring extension). */
function json_is_utf8($text)
{
    return preg_match('//u', $text) === 1;
}

/* Number of characters (code points) of valid UTF-8 text. */
function json_text_length($text)
{
    return preg_match_all('/./us', $text);
}
